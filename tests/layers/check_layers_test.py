"""The layering check fails on a wrong include and passes on the repository."""

import os
import shutil
import sys
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "scripts"))
import include_rules  # noqa: E402

WORK = Path(os.environ.get("FUDEKKO_TEST_WORK_DIR", ROOT / "build" / "native" / "layers"))


class LayerCheck(unittest.TestCase):
    def tree(self, files):
        root = WORK / self.id().rsplit(".", 1)[-1]
        shutil.rmtree(root, ignore_errors=True)
        for name, text in files.items():
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text(text)
        return root

    def violations(self, files):
        return include_rules.check(self.tree(files))[0]

    def test_the_repository_is_layered(self):
        self.assertEqual(include_rules.check(ROOT)[0], [])

    def test_every_folder_that_makes_a_layer_library_is_listed(self):
        # A folder left out of the list would be neither built nor checked.
        makers = {path.parent.name for path in ROOT.glob("*/CMakeLists.txt")
                  if "fudekko_add_layer(" in path.read_text(encoding="utf-8")}
        self.assertEqual(makers, set(include_rules.LAYERS))

    def test_downward_includes_pass(self):
        self.assertEqual(self.violations({
            "common/a.h": "",
            "imaging/b.h": '#include "common/a.h"\n',
            "surface/c.cpp": '#include "imaging/b.h"\n#include "surface/c.h"\n',
            "surface/c.h": "",
            "app/main_win32.cpp": '#include "surface/c.h"\n#include "win32/w_win32.h"\n',
            "win32/w_win32.h": "",
        }), [])

    def test_an_upward_include_fails(self):
        errors = self.violations({"imaging/picture.h": '#include "surface/pen.h"\n',
                                  "surface/pen.h": ""})
        self.assertEqual(len(errors), 1)
        self.assertIn("surface/ is not below imaging/", errors[0])

    def test_an_include_beside_fails(self):
        errors = self.violations({"surface/a.h": '#include "handoff/b.h"\n', "handoff/b.h": ""})
        self.assertIn("handoff/ is not below surface/", errors[0])

    def test_the_surface_uses_pictures_not_drafts_or_journals(self):
        errors = self.violations({"surface/a.h": '#include "draft/b.h"\n', "draft/b.h": ""})
        self.assertEqual(len(errors), 1)
        self.assertIn("surface/ uses only common, imaging, win32", errors[0])

    def test_nothing_includes_the_composition_root(self):
        errors = self.violations({"tools/x.cpp": '#include "app/main_window_win32.h"\n',
                                  "app/main_window_win32.h": ""})
        self.assertIn("composition root", errors[0])

    def test_a_portable_file_never_reaches_win32_code(self):
        errors = self.violations({
            "surface/a.cpp": '#include "surface/snapshot_win32.h"\n',
            "surface/snapshot_win32.h": "",
            "tests/x_test.cpp": '#include "win32/handles_win32.h"\n',
            "win32/handles_win32.h": "",
        })
        self.assertEqual(len(errors), 2)
        self.assertTrue(all("portable file reaches Win32 code" in e for e in errors))

    def test_an_include_cycle_fails(self):
        errors = self.violations({"draft/a.h": '#include "draft/b.h"\n',
                                  "draft/b.h": '#include "draft/a.h"\n'})
        self.assertEqual(errors, ["include cycle: draft/a.h -> draft/b.h -> draft/a.h"])


if __name__ == "__main__":
    unittest.main()
