#!/usr/bin/python3
"""Plays a screen reader: in the application with process id PID, finds through AT-SPI the
control with accessible NAME and ROLE (as AT-SPI names roles: "check box", "list item") and
performs its ACTION ("toggle", "press"). Exit status 0 when done, 1 when the control is not
found within 20 s, 2 when it has no such action."""
import sys
import time

import pyatspi


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:  # an application that went away while listed
            pass
    return None


def main(pid, name, role, action):
    deadline = time.monotonic() + 20
    control = None
    while control is None and time.monotonic() < deadline:
        app = application(pid)
        if app is not None:
            control = pyatspi.findDescendant(
                app, lambda a: a is not None and a.name == name and a.getRoleName() == role)
        if control is None:
            time.sleep(0.2)
    if control is None:
        print(f"no {role} named {name}", file=sys.stderr)
        return 1
    actions = control.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    for i, found in enumerate(names):
        if found.lower() == action:
            actions.doAction(i)
            return 0
    print(f"{role} {name} offers only: {', '.join(names)}", file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4].lower()))
