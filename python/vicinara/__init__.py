"""Vicinara from Python: the segregation model at native speed.

Agents of several groups live on a grid, judge their neighbourhood against a
tolerance and move when it does not suit them. This package drives the same
model as the desktop program and the headless tool ``vicinara-cli``:

- :class:`Simulation` -- one world: settings by the main window's component
  names, "new Setup", steps, the grid as a numpy array, the measures;
- :func:`run` -- one run as ``vicinara-cli run --csv``, as a pandas DataFrame;
- :func:`experiment` -- a batch experiment as ``vicinara-cli experiment``, on
  local threads or, with ``client=``, on a Dask distributed cluster, with the
  same tables byte for byte.

Settings are the text a user would type into the control (``"0,5"`` with a
decimal comma for reals, ``"1"``/``"0"`` for boxes, positions for up-downs,
track bars and combo items); ints, floats and booleans are turned into that
text (``True`` -> ``"1"``, ``0.5`` -> ``"0,5"``). Where a sequence of settings
is taken, :data:`SETUP` among them presses "new Setup" at that point, so that
the settings after it are checked against the new world.

Bad names and values raise :class:`InputError` (a ``ValueError``) with the
program's own message. The GIL is released while a world steps, so Python
threads can run several worlds at once.
"""

from __future__ import annotations

import io
import json
import numbers
import os
import secrets
import sys
import tempfile
import warnings
from typing import Any, Iterable, Mapping, Optional, Sequence, Union

from . import _vicinara
from ._vicinara import ExperimentError, InputError

__all__ = [
    "SETUP",
    "ExperimentError",
    "ExperimentResult",
    "InputError",
    "Simulation",
    "experiment",
    "run",
    "setting_text",
]

#: Stands for a press of "new Setup" in a sequence of settings (the headless
#: tool's ``--setup``).
SETUP: str = _vicinara.SETUP

# The experiments' tables, as their folders hold them.
_TABLES = ("runs", "steps", "rises")


def setting_text(value: Any) -> str:
    """The text a user would type for ``value``.

    Text is taken as it is; ``True``/``False`` become ``"1"``/``"0"``; whole
    numbers their digits (``3.0`` too); other reals the shortest text that
    reads back as the same number, with a decimal comma (``0.5`` -> ``"0,5"``).
    Raises InputError for anything else (None, lists, ...).
    """
    if isinstance(value, str):
        return value
    if isinstance(value, bool) or type(value).__name__ == "bool_":
        return "1" if value else "0"
    if isinstance(value, numbers.Integral):
        return str(int(value))
    if isinstance(value, numbers.Real):
        number = float(value)
        if number.is_integer():
            return str(int(number))
        return repr(number).replace(".", ",")
    raise InputError(f"a setting takes text, a number or a boolean, not {type(value).__name__}")


def _setting_texts(settings: Any) -> list:
    """CONTROL=VALUE texts and SETUP markers, in order, from a mapping or a
    sequence of mappings, (name, value) pairs, "CONTROL=VALUE" texts and SETUP."""
    if settings is None:
        return []
    if isinstance(settings, Mapping):
        settings = [settings]
    if isinstance(settings, (str, bytes)) or not isinstance(settings, Iterable):
        raise InputError("settings are a dict, or a list of dicts, (name, value) pairs, "
                         "'CONTROL=VALUE' texts and vicinara.SETUP")
    texts = []
    for item in settings:
        if isinstance(item, str) and (item == SETUP or "=" in item[1:]):
            texts.append(item)
        elif isinstance(item, Mapping):
            texts.extend(_pair_text(name, value) for name, value in item.items())
        elif isinstance(item, (tuple, list)) and len(item) == 2:
            texts.append(_pair_text(item[0], item[1]))
        else:
            raise InputError(
                f"a setting is a dict, a (name, value) pair, a 'CONTROL=VALUE' text or vicinara.SETUP, not {item!r}")
    return texts


def _pair_text(name: Any, value: Any) -> str:
    if not isinstance(name, str) or not name:
        raise InputError(f"a control is named by text, not {name!r}")
    return f"{name}={setting_text(value)}"


def _warn(notices: Iterable[str]) -> None:
    for notice in notices:
        warnings.warn(notice, RuntimeWarning, stacklevel=3)


def _frame(table: Union[bytes, str]):
    import pandas

    if isinstance(table, bytes):
        table = table.decode()
    return pandas.read_csv(io.StringIO(table))


class Simulation(_vicinara.World):
    """One world of the model, as the main window holds it.

    ``Simulation(seed, settings)`` prepares the world exactly as
    ``vicinara-cli run --seed SEED --set ...`` does: the settings through the
    controls' own handlers (with set-ups where :data:`SETUP` stands), a
    set-up, the group thresholds as by "set", then the rents ``E_RentN``. The
    same steps then give the same rows as the tool's ``--csv``.

    ``seed`` fixes the seed of every set-up (repeatable runs); without it the
    seed comes from the clock. Raises InputError for a bad name or value or a
    refused set-up. The world is freed with the object.
    """

    def __init__(self, seed: Optional[int] = None, settings: Any = None) -> None:
        super().__init__(seed, _setting_texts(settings))
        _warn(self.take_notices())

    def set(self, name: str, value: Any) -> None:
        """Sets a main-window control as a user's edit would: the same
        handlers and clamps (``Edit_anzAg`` is held to what the current world
        holds). ``value`` as in :func:`setting_text`. Raises InputError for
        an unknown control or a value it cannot take."""
        super().set(name, setting_text(value))

    def get(self, name: str) -> str:
        """The control's value as text: edit texts, ``"1"``/``"0"`` for boxes,
        positions and item numbers. Raises InputError for an unknown name."""
        return super().get(name)

    def new_setup(self) -> None:
        """Presses "new Setup": a new world from the current settings (the
        GIL is released meanwhile). Raises InputError when the settings are
        refused; the old world then stays. Starts a new :meth:`table`."""
        super().new_setup()
        _warn(self.take_notices())

    def set_thresholds(self) -> None:
        """Presses "set": the group thresholds from the tolerance settings."""
        super().set_thresholds()

    def step(self, steps: int = 1) -> None:
        """Runs ``steps`` time steps with the GIL released. Each adds a row to
        :meth:`table`. Conditions the world reports (a full grid, a rent that
        does not parse) are issued as RuntimeWarning. Ctrl-C stops between
        two steps (KeyboardInterrupt); the steps run so far stay."""
        super().step(steps)
        _warn(self.take_notices())

    def run(self) -> int:
        """Runs up to the stop timestep (``E_stopT``); returns the steps run
        (none when it is reached or passed)."""
        done = super().run()
        _warn(self.take_notices())
        return done

    def state(self):
        """The grid as a numpy int32 array of shape (rows, cols): 0 for an
        empty cell, 1..k for the group of its agent. A copy: a set-up rebuilds
        the grid, so a view could outlive the memory it shows."""
        return super().state()

    def rent(self):
        """The rent of every cell, a numpy float64 array (rows, cols); a copy,
        as :meth:`state`."""
        return super().rent()

    def measures(self) -> dict:
        """The measures after the last step, as ``run --json`` gives them:
        ``unsatisfied``, ``segregation_index`` (per group), ``dissimilarity``
        (k x k, None below the diagonal), ``cluster_sizes``,
        ``large_clusters``, ``density``, ``agents``, ``group_counts``,
        ``grid`` ([cols, rows]), ``cell_size``, ``street_cells``, ``seed``
        and ``steps`` (the world's step count). A new dict each call."""
        result = json.loads(super().measures())
        del result["elapsed_ms"]
        return result

    def table(self):
        """A pandas DataFrame of the steps run since the last set-up, one row
        per step with the columns of ``run --csv``. A copy."""
        return _frame(super().table())

    def table_text(self) -> str:
        """The same table as CSV text, byte for byte as ``run --csv`` writes it."""
        return super().table().decode()

    @property
    def step_count(self) -> int:
        """Time steps run since the last set-up."""
        return super().step_count


def run(steps: Optional[int] = None, seed: Optional[int] = None, settings: Any = None,
        streets: Optional[str] = None, snapshot: Optional[str] = None, csv: Optional[str] = None):
    """One run, as ``vicinara-cli run --csv``: a pandas DataFrame with one row
    per step (``step, agents, unsatisfied, density, changing_pct``, then
    ``satisfied_g, segregation_g`` for every group g).

    ``steps`` defaults to the stop timestep; ``settings`` as for
    :class:`Simulation` (set-ups with :data:`SETUP`); ``streets`` is
    ``"grid:N:M"`` or ``"random:COUNT"``; ``snapshot`` writes the world's
    picture after the last step (.jpg or .png); ``csv`` writes the table to
    that file exactly as the tool does. The tool's summary (``run --json``)
    is in ``df.attrs["summary"]``. The GIL is released while it runs; Ctrl-C
    stops it between two steps (KeyboardInterrupt).
    Raises InputError for bad input, with the tool's message.
    """
    status, table, summary, err = _vicinara.run(steps, seed, _setting_texts(settings), streets, snapshot)
    lines = [line for line in err.splitlines() if line]
    if status != 0:
        raise InputError(lines[-1] if lines else "the run was refused")
    _warn(lines)
    if csv is not None:
        with open(csv, "w", encoding="utf-8", newline="") as out:
            out.write(table)
    frame = _frame(table)
    frame.attrs["summary"] = json.loads(summary)
    return frame


class ExperimentResult:
    """What an experiment's folder holds, as Python objects.

    - ``runs``: DataFrame of runs.csv (one row per calculation; stability:
      per round); ``steps`` (growth, stability) and ``rises`` (stability):
      DataFrames of steps.csv and rises.csv, or None;
    - ``summary``: summary.json as a dict (with ``series``); ``manifest``:
      run.json as a dict; ``seed``: the sweep's seed;
    - ``files``: every file by name with its bytes, exactly as the headless
      tool writes them; :meth:`write` puts them into a folder.
    """

    def __init__(self, files: Mapping[str, bytes]) -> None:
        self.files = dict(files)
        self.manifest = json.loads(self.files["run.json"])
        self.summary = json.loads(self.files["summary.json"])
        self.seed = self.manifest["seed"]
        for table in _TABLES:
            name = table + ".csv"
            setattr(self, table, _frame(self.files[name]) if name in self.files else None)

    @classmethod
    def read(cls, folder: str) -> "ExperimentResult":
        """The result in an experiment's folder (of the tool or of :meth:`write`)."""
        files = {}
        for name in sorted(os.listdir(folder)):
            path = os.path.join(folder, name)
            if os.path.isfile(path) and not name.endswith(".tmp"):
                with open(path, "rb") as f:
                    files[name] = f.read()
        return cls(files)

    def write(self, folder: str) -> None:
        """Writes the files into folder (created), byte for byte as the tool's."""
        os.makedirs(folder, exist_ok=True)
        for name, data in self.files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)

    def __repr__(self) -> str:
        return (f"ExperimentResult({self.manifest['experiment']!r}, seed={self.seed}, "
                f"units={self.manifest['units']}, calculations={self.manifest['calculations']})")


def _unit_on_worker(name, settings, fields, max_round_steps, seed, unit):
    """A Dask task: one unit's rows. Workers need only this package."""
    from vicinara import _vicinara as native

    return native.run_unit(name, settings, fields, max_round_steps, seed, unit)


class _ProgressLine:
    """Units done of planned on standard error, one line rewritten."""

    def __init__(self, what: str) -> None:
        self.what = what
        self.shown = False

    def __call__(self, done: int, planned: int) -> None:
        sys.stderr.write(f"\r{done}/{planned} {self.what}   ")
        sys.stderr.flush()
        self.shown = True

    def close(self) -> None:
        if self.shown:
            sys.stderr.write("\n")
            sys.stderr.flush()


def experiment(name: str, seed: Optional[int] = None, settings: Any = None, exp: Any = None,
               threads: Optional[int] = None, client: Any = None, max_round_steps: int = 0,
               out: Optional[str] = None, progress: Any = None) -> ExperimentResult:
    """Runs a batch experiment as ``vicinara-cli experiment NAME`` does and
    returns its tables (:class:`ExperimentResult`).

    ``name``: ``"parameterspace"``, ``"growth"``, ``"streets"`` or
    ``"stability"``. ``settings``: main-window controls as for
    :class:`Simulation`, for every world (``--set``/``--setup``); ``exp``: the
    experiment window's fields (``--exp``: ``E_valFrom``, ``E_valTo``,
    ``E_incre``, ``E_toSteps``, ``E_calcVals``, ``CB_param``, ...).
    ``seed``: the sweep's seed; unit k is set up with
    splitmix64(seed xor splitmix64(k)), so the tables equal the tool's with
    the same seed; drawn at random when None (see ``result.seed``).

    Without ``client`` the units run on ``threads`` local worlds (default:
    every core) with the GIL released. With a ``dask.distributed`` Client,
    each unit (calculation; stability: pass) is one task on the cluster and
    the rows are gathered in unit order, so the tables are byte for byte
    those of a local run; the workers need only this package importable.

    ``out``: a folder (new or empty) to keep the files in; otherwise they
    live in memory only. ``max_round_steps``: stability only, fail a round
    that has not settled after so many steps. ``progress``: a function
    called with (units done, units planned) as units finish; by default a
    line on standard error when it is a terminal; False for none.

    Raises InputError for bad input and ExperimentError when a unit fails.
    Ctrl-C stops the local workers (KeyboardInterrupt); with ``out``, the
    units they finished stay in its journal, and ``vicinara-cli experiment``
    with the same options, ``--seed`` and ``--resume --out`` continues them.
    """
    set_texts = _setting_texts(settings)
    exp_texts = _setting_texts(exp)
    if seed is None:
        seed = secrets.randbits(64)
    if threads is not None and threads < 1:
        raise InputError("threads must be at least 1")
    line = None
    if progress is None and sys.stderr is not None and sys.stderr.isatty():
        progress = line = _ProgressLine(_vicinara.unit_word(name))
    elif progress is False:
        progress = None
    try:
        return _experiment(name, seed, set_texts, exp_texts, threads, client, max_round_steps, out, progress)
    finally:
        if line is not None:
            line.close()


def _experiment(name, seed, set_texts, exp_texts, threads, client, max_round_steps, out, progress):
    with tempfile.TemporaryDirectory(prefix="vicinara-") as scratch:
        folder = out if out is not None else os.path.join(scratch, name)
        if client is None:
            status, err = _vicinara.experiment(name, set_texts, exp_texts, seed, threads, max_round_steps, folder,
                                               progress)
            lines = [line for line in err.splitlines() if line]
            if status == 2:
                raise InputError(lines[-1] if lines else "the experiment was refused")
            if status != 0:
                raise ExperimentError("\n".join(lines))
            _warn(lines)
        else:
            units = _vicinara.plan_units(name, set_texts, exp_texts, max_round_steps)
            futures = client.map(_unit_on_worker, [name] * units, [set_texts] * units, [exp_texts] * units,
                                 [max_round_steps] * units, [seed] * units, range(units), pure=False)
            if progress is not None:
                from distributed import as_completed

                progress(0, units)
                for done, _ in enumerate(as_completed(futures), 1):
                    progress(done, units)
            rows = []
            notices = []
            for runs, steps, rises, reported in client.gather(futures):
                rows.append((runs, steps, rises))
                notices.extend(n for n in reported if n not in notices)
            _warn(notices)
            _vicinara.write_experiment(name, set_texts, exp_texts, max_round_steps, seed, rows, folder)
        return ExperimentResult.read(folder)
