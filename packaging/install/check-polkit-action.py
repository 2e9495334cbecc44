#!/usr/bin/env python3
"""check-polkit-action.py POLICY HELPER: the policy is well-formed XML with exactly one action,
under org.tavix., that needs an administrator in every session and runs exactly HELPER."""
import sys
import xml.etree.ElementTree as ET

root = ET.parse(sys.argv[1]).getroot()
actions = root.findall("action")
assert root.tag == "policyconfig", root.tag
assert len(actions) == 1, f"{len(actions)} actions"
action = actions[0]
assert action.get("id", "").startswith("org.tavix."), action.get("id")
for kind in ("allow_any", "allow_inactive", "allow_active"):
    assert action.findtext(f"defaults/{kind}") == "auth_admin", kind
paths = [a.text for a in action.findall("annotate")
         if a.get("key") == "org.freedesktop.policykit.exec.path"]
assert paths == [sys.argv[2]], paths
print("ok:", action.get("id"))
