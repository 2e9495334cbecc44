#!/usr/bin/env python3
"""Writes the starting preference files of tavix-fuzz-preference-file: XML and binary property lists
as other tools leave them, and a few that sit at or beyond the reader's limits."""
import plistlib
import sys
from pathlib import Path

out = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent / "corpus/preference-file")
out.mkdir(parents=True, exist_ok=True)

mouse = {
    "MouseButtonMode": "TwoButton",
    "MouseOneFingerDoubleTapGesture": 1,
    "MouseTwoFingerHorizSwipeGesture": 2,
    "MouseHorizontalScroll": True,
    "com.apple.mouse.scaling": 1.5,
    "Nested": {"list": [1, 2.5, "x", False], "data": b"\x00\x01"},
}
(out / "mouse.xml").write_bytes(plistlib.dumps(mouse, fmt=plistlib.FMT_XML))
(out / "mouse.bplist").write_bytes(plistlib.dumps(mouse, fmt=plistlib.FMT_BINARY))
(out / "empty-dict.xml").write_bytes(plistlib.dumps({}, fmt=plistlib.FMT_XML))
(out / "array-root.bplist").write_bytes(plistlib.dumps([1, "a"], fmt=plistlib.FMT_BINARY))
(out / "control-string.bplist").write_bytes(
    plistlib.dumps({"MouseButtonMode": "One\x01Button"}, fmt=plistlib.FMT_BINARY))

# Nested past the reader's depth limit, written compactly to stay under the fuzzer's length cap.
(out / "deep.xml").write_bytes(
    b'<?xml version="1.0"?><plist version="1.0"><dict><key>d</key>'
    + b"<array>" * 140 + b"</array>" * 140 + b"</dict></plist>")

# One array referenced over and over: tiny on disk, huge once every reference is followed.
shared = list(range(50))
(out / "shared-references.bplist").write_bytes(
    plistlib.dumps({"k": [shared] * 200}, fmt=plistlib.FMT_BINARY))
(out / "truncated.bplist").write_bytes(plistlib.dumps(mouse, fmt=plistlib.FMT_BINARY)[:60])
(out / "not-a-plist").write_bytes(b"<?xml version=\"1.0\"?><plist><dict><key>a</key>")
