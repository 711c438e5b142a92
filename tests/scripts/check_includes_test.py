"""The layer check finds includes that break the layers, and only those."""

import pathlib
import subprocess
import sys
import tempfile
import unittest

SCRIPT = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "check-includes"


def run_on(files):
    with tempfile.TemporaryDirectory() as root:
        for name, text in files.items():
            path = pathlib.Path(root, name)
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text)
        done = subprocess.run([sys.executable, str(SCRIPT), root], capture_output=True, text=True)
        return done.returncode, done.stdout


class CheckIncludesTest(unittest.TestCase):
    def test_includes_down_the_layers_and_beside_pass(self):
        code, out = run_on({
            "world/world.h": "",
            "streets/street_field.h": '#include "world/world.h"\n',
            "ui/chart/chart_view.h": "",
            "ui/main_window.cpp": '#include "chart/chart_view.h"\n#include "streets/street_field.h"\n'
                                  '#include "main_window.moc"\n#include <vector>\n',
        })
        self.assertEqual(code, 0, out)

    def test_an_include_up_or_across_fails_with_file_and_line(self):
        code, out = run_on({
            "world/world.h": '\n#include "simulation/simulation.h"\n',
            "simulation/simulation.h": "",
            "streets/layouts.cpp": '#include "measures/segregation.h"\n',
            "measures/segregation.h": "",
        })
        self.assertEqual(code, 1)
        self.assertIn('world/world.h:2: #include "simulation/simulation.h": world/ may not include simulation/', out)
        self.assertIn("streets/ may not include measures/", out)

    def test_missing_and_climbing_includes_fail(self):
        code, out = run_on({
            "display/world_image.cpp": '#include "display/gone.h"\n#include "../world/world.h"\n',
            "world/world.h": "",
        })
        self.assertEqual(code, 1)
        self.assertIn("names no file of the project", out)
        self.assertIn("climbs out of its folder", out)


if __name__ == "__main__":
    unittest.main()
