#!/usr/bin/env python3
"""Finds a program's top-level window on an X display and closes it the way a
window manager's close button does (a WM_DELETE_WINDOW message).

    x_window.py wait CLASS SECONDS   waits until a window whose WM_CLASS names
                                     CLASS is mapped; prints its title, size
                                     and position; fails when none shows up
    x_window.py close CLASS          asks that window to close

The display is the one DISPLAY names. Needs python3-xlib.
"""
import sys
import time

from Xlib import X, display, protocol


def find(d, wm_class):
    """Mapped top-level windows whose WM_CLASS instance or class is wm_class."""
    found = []
    for w in d.screen().root.query_tree().children:
        try:
            cls = w.get_wm_class()
            attrs = w.get_attributes()
        except Exception:  # the window went away meanwhile
            continue
        if cls and wm_class in cls and attrs.map_state == X.IsViewable:
            found.append(w)
    return found


def title(d, w):
    name = w.get_full_property(d.intern_atom("_NET_WM_NAME"), d.intern_atom("UTF8_STRING"))
    if name is not None:
        value = name.value
        return value.decode("utf-8") if isinstance(value, bytes) else str(value)
    return w.get_wm_name() or ""


def wait(wm_class, seconds):
    d = display.Display()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        windows = find(d, wm_class)
        if windows:
            w = windows[0]
            g = w.get_geometry()
            print(f"window of {wm_class}: \"{title(d, w)}\" {g.width}x{g.height} at {g.x},{g.y}")
            return 0
        time.sleep(0.2)
    print(f"no window of {wm_class} within {seconds} s", file=sys.stderr)
    return 1


def close(wm_class):
    d = display.Display()
    windows = find(d, wm_class)
    if not windows:
        print(f"no window of {wm_class} to close", file=sys.stderr)
        return 1
    protocols = d.intern_atom("WM_PROTOCOLS")
    delete = d.intern_atom("WM_DELETE_WINDOW")
    for w in windows:
        if delete not in (w.get_wm_protocols() or []):
            print(f"the window of {wm_class} does not take WM_DELETE_WINDOW", file=sys.stderr)
            return 1
        event = protocol.event.ClientMessage(window=w, client_type=protocols,
                                             data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        w.send_event(event, event_mask=X.NoEventMask)
    d.flush()
    return 0


def main(argv):
    if len(argv) == 4 and argv[1] == "wait":
        return wait(argv[2], float(argv[3]))
    if len(argv) == 3 and argv[1] == "close":
        return close(argv[2])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
