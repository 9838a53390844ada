"""The tray state every panel test shows: texts with the characters hosts like to interpret (mnemonic
underscores, ampersands, markup) and Chinese, a submenu, a separator and a disabled row."""

import json

STATE = json.dumps({
    "status": "ready", "iconStatus": "busy", "tooltip": "Corvane & co_op <b>x</b>",
    "menu": [
        {"id": "pause", "text": "Pause & resume _now_", "enabled": True, "action": "pause"},
        {"id": "sep-1", "text": "", "enabled": True, "separator": True},
        {"id": "more", "text": "More", "enabled": True, "children": [
            {"id": "child", "text": "Child", "enabled": True, "action": "child"},
            {"id": "sep-more", "text": "", "enabled": True, "separator": True},
            {"id": "quiet", "text": "Quiet child", "enabled": True}]},
        {"id": "off", "text": "Disabled", "enabled": False, "action": "off"},
        {"id": "quit", "text": "退出", "enabled": True, "action": "quit"}]}, ensure_ascii=False)
# The top-level rows as they must read on every panel, in order.
ROWS = ["Pause & resume _now_", "More", "Disabled", "退出"]
