#!/usr/bin/python3
"""The Access Key form on a Wayland session: the real corvane-tray in form mode on Qt's Wayland platform
under headless sway. "form-visible" must mean what sway says: a window of ours that sway shows. Closing
the input then ends the run with status 0.

    wayland-session --bin corvane-tray --bin sway_form_test.py -- sway_form_test.py
"""

import json
import os
import subprocess
import unittest

PATIENCE = 20.0


def windows(node):
    """Every window in sway's tree: (name, visible)."""
    found = [(node["name"], node.get("visible"))] if node.get("pid") else []
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        found += windows(child)
    return found


class SwayFormTest(unittest.TestCase):
    def test_form_visible_is_a_window_sway_shows(self):
        environment = dict(os.environ, QT_QPA_PLATFORM="wayland", CORVANE_TRAY_INSTANCE_ID=os.urandom(32).hex())
        form = subprocess.Popen(["corvane-tray", "form"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                env=environment, text=True)
        try:
            form.stdin.write(json.dumps({"type": "form", "mode": "setup", "projectRoot": ""}) + "\n")
            form.stdin.flush()
            self.assertEqual(json.loads(form.stdout.readline()), {"event": "ready"})
            self.assertEqual(json.loads(form.stdout.readline()), {"event": "form-visible"})
            tree = json.loads(subprocess.run(["swaymsg", "-t", "get_tree"], capture_output=True, text=True,
                                             check=True, timeout=PATIENCE).stdout)
            self.assertIn(("Corvane", True), windows(tree))
            form.stdin.close()
            self.assertEqual(form.wait(PATIENCE), 0)
        finally:
            if form.poll() is None:
                form.kill()
                form.wait(PATIENCE)


if __name__ == "__main__":
    unittest.main(verbosity=2)
