#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace experiments {

// The controls of the four experiment windows that the experiments read and
// write: the handle the code names each by, and the component name by which
// the windows' widgets and the headless tool's --exp address it. A mistyped
// handle does not compile; each experiment's model reaches its controls
// through these handles by array access. The windows share one list, as they
// share the box "settings"; what each control is, its window adds.
#define VICINARA_EXPERIMENT_CONTROLS(X)                          \
  /* the box "settings" of every experiment window */            \
  X(ValueFrom, "E_valFrom")                                      \
  X(ValueTo, "E_valTo")                                          \
  X(Increment, "E_incre")                                        \
  X(StepsPerValue, "E_toSteps")                                  \
  X(CalculationsPerValue, "E_calcVals")                          \
  X(RoundsPerValue, "E_calcRds") /* the stability window's */    \
  X(StepsDone, "lbl_pSteps")                                     \
  X(Done, "Lbl_akt")                                             \
  X(PlannedTotal, "Lbl_proceed")                                 \
  /* the windows' timers */                                      \
  X(ParameterSpaceTimer, "Timer2")                               \
  X(GrowthTimer, "Timer3")                                       \
  X(StreetsTimer, "Timer4")                                      \
  X(StabilityTimer, "Timer5")                                    \
  /* the parameter chosen: parameter space; stability's third */ \
  X(Parameter, "CB_param")                                       \
  /* parameter space: the curve fittings' degrees */             \
  X(ClusterFitDegree, "E_polyDegClust")                          \
  X(ClusterFitDegreeUpDown, "UpD_polyDegClust")                  \
  X(SegregationFitDegree, "E_polyDegSeg")                        \
  X(SegregationFitDegreeUpDown, "UpD_polyDegSeg")                \
  /* streets: the layout */                                      \
  X(GridLayout, "RB_grid")                                       \
  X(RandomLayout, "RB_rnd")                                      \
  /* stability: the box "analyse with a third paramter:" */      \
  X(ThirdActive, "Cb_acti3d")                                    \
  X(ThirdFrom, "E_thirdFrom")                                    \
  X(ThirdTo, "E_thirdTo")                                        \
  X(ThirdIncrement, "E_thirdIncre")

enum class ExperimentControl : std::uint8_t {
#define VICINARA_ENUM(id, name) id,
  VICINARA_EXPERIMENT_CONTROLS(VICINARA_ENUM)
#undef VICINARA_ENUM
};

inline constexpr std::array kExperimentControlNames{
#define VICINARA_NAME(id, name) std::string_view(name),
    VICINARA_EXPERIMENT_CONTROLS(VICINARA_NAME)
#undef VICINARA_NAME
};

// The component names of the handles, in handle order.
inline std::span<const std::string_view> HandleTableOf(ExperimentControl) { return kExperimentControlNames; }

// The component name of a control.
inline std::string_view NameOf(ExperimentControl control) {
  return kExperimentControlNames[static_cast<std::size_t>(control)];
}

}  // namespace experiments
