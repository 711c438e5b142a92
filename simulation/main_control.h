#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace simulation {

// Every control of the main window "Vicinara" (TForm1): the handle the code
// names it by, and the component name by which the window's widgets, the
// headless tool's --set and a run's run.json address it. A mistyped handle
// does not compile; reading a control through its handle is an array access.
// What each control is (kind, caption, default, range, handler) is listed
// once, in the table of main_controls.cpp.
#define VICINARA_MAIN_CONTROLS(X)                        \
  /* tab "setup", group box "setup settings" */          \
  X(AgentCount, "Edit_anzAg")                            \
  X(AgentSize, "Edit_agentSize")                         \
  X(AgentSizeUpDown, "UpD_agentSz")                      \
  X(CellSize, "Edit_cellSiz")                            \
  X(CellSizeUpDown, "UpD_sellSz")                        \
  X(GroupCount, "Edit_anzGr")                            \
  X(GroupCountUpDown, "UpD_nrGroups")                    \
  X(Radius, "Edit_nRad")                                 \
  X(RadiusUpDown, "UpD_radNb")                           \
  X(MoveDistance, "Edit_mDist")                          \
  X(MoveDistanceUpDown, "UpD_moveDist")                  \
  X(RunWithGraphic, "CB_graphicUpd")                     \
  X(StreetOccupation, "CB_strOcc")                       \
  X(IndividualGroupSizes, "cb_indiGroups")               \
  /* group box "growth" */                               \
  X(Growth, "CB_actiGrow")                               \
  X(AgentCountLabel, "Lbl_nrAgents")                     \
  X(GrowthStart, "E_startGrowWith")                      \
  X(GrowthStartUpDown, "UpDown6")                        \
  X(GrowthRate, "E_growRate")                            \
  X(GrowthRateUpDown, "UpDown7")                         \
  X(ShowAgents, "CB_showAgs")                            \
  X(ShowRentLandscape, "CB_showRentSc")                  \
  /* tab "parameter", group box "tolerance settings" */  \
  X(ThresholdLabel, "Lbl_P")                             \
  X(Threshold, "TrB_thresh")                             \
  X(ThresholdUpDown, "UpD_thresh")                       \
  X(IndividualThresholds, "cb_individTol")               \
  /* group box "group thresholds" */                     \
  X(ToleranceToItself, "E_toItself")                     \
  X(ToleranceToItselfUpDown, "UpD_toItself")             \
  X(ToleranceToSuperior, "E_toSuper")                    \
  X(ToleranceToSuperiorUpDown, "UpD_toSuper")            \
  X(ToleranceToInferior, "E_toInfer")                    \
  X(ToleranceToInferiorUpDown, "UpD_toInfer")            \
  X(ToleranceToEmpty, "E_toEmpty")                       \
  X(ToleranceToEmptyUpDown, "UpD_toEmpty")               \
  X(EmptyNotCounted, "RB_count_no")                      \
  X(EmptyAsDifferent, "RB_count_diff")                   \
  X(EmptyAsSimilar, "RB_count_simi")                     \
  /* tab "analysis" */                                   \
  X(ClusterThreshold, "E_clusterT")                      \
  X(ClusterThresholdUpDown, "UpD_clS")                   \
  X(TileSize, "E_nbSize")                                \
  X(TileSizeUpDown, "UpDown5")                           \
  /* group box "save windows " */                        \
  X(SaveMain, "cb_save_main")                            \
  X(SaveBasic, "cb_save_basic")                          \
  X(SaveParameterSpace, "cb_save_paraSp")                \
  X(SaveGrowth, "cb_save_growth")                        \
  X(SaveStreets, "cb_save_streets")                      \
  X(SaveStability, "cb_save_stability")                  \
  X(SaveSurface, "cb_save_3DSurf")                       \
  X(SaveRound, "E_sRound")                               \
  X(SaveName, "E_sName")                                 \
  /* tab "streets" */                                    \
  X(StreetTypeChoice, "CB_strType")                      \
  X(DrawWithoutAgents, "CB_hideAgs")                     \
  X(StreetWeightMinus3, "SG_weight.1")                   \
  X(StreetWeightMinus2, "SG_weight.2")                   \
  X(StreetWeightMinus1, "SG_weight.3")                   \
  X(StreetWeightZero, "SG_weight.4")                     \
  X(StreetWeightPlus1, "SG_weight.5")                    \
  X(StreetWeightPlus2, "SG_weight.6")                    \
  X(StreetWeightPlus3, "SG_weight.7")                    \
  X(StreetRows, "Ed_rows")                               \
  X(StreetRowsUpDown, "UpD_rows")                        \
  X(StreetCols, "Ed_cols")                               \
  X(StreetColsUpDown, "UpD_cols")                        \
  X(StreetCount, "Ed_nrStr")                             \
  X(StreetCountUpDown, "UpD_nrStr")                      \
  X(StreetType, "Ed_strType")                            \
  X(StreetTypeUpDown, "UpD_strType")                     \
  X(RandomStreetTypes, "CB_rndTyp")                      \
  /* tab "rent" */                                       \
  X(RentLandscape, "cb_actiRentLand")                    \
  X(RentMin, "E_rentMin")                                \
  X(RentMax, "E_rentMax")                                \
  X(BudgetLabel, "lbl_budgetR")                          \
  /* below the tabs */                                   \
  X(StepsLabel, "lbl_Steps")                             \
  X(StartStop, "B_stop")                                 \
  X(CellSizeLabel, "Lbl_cellS")                          \
  X(StreetCellsLabel, "Lbl_strCell")                     \
  X(StopStep, "E_stopT")                                 \
  X(Timer, "Timer1")                                     \
  X(Caption, "Caption")

enum class MainControl : std::uint8_t {
#define VICINARA_ENUM(id, name) id,
  VICINARA_MAIN_CONTROLS(VICINARA_ENUM)
#undef VICINARA_ENUM
};

inline constexpr int kMainControlCount = 0
#define VICINARA_COUNT(id, name) +1
    VICINARA_MAIN_CONTROLS(VICINARA_COUNT)
#undef VICINARA_COUNT
    ;

// The component name of a control.
std::string_view NameOf(MainControl control);

// The component names of all the main window's controls, in handle order.
std::span<const std::string_view> HandleTableOf(MainControl);

// The control of a component name, if the main window has one by that name.
std::optional<MainControl> FindMainControl(std::string_view name);

// The weight cell of street type -3..+3.
constexpr MainControl StreetWeightControl(int type) {
  return static_cast<MainControl>(static_cast<int>(MainControl::StreetWeightZero) + type);
}

}  // namespace simulation
