#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a screen reader finds of the real program, through AT-SPI.

Run by accessible-tree.sh on a private D-Bus session and X display, with the
program already started: finds its window on the accessibility bus, checks
the tree of accessible objects (the tree of terms and its items, the Define
button, the text box, the level label), presses Define through the button's
action and waits until the label is named by the level and the text box
holds the definition. Prints the accessible tree it found.

    accessible-tree.py TERM LEVEL PREFIX

The term is found by typing PREFIX into the tree (the window has the
keyboard focus), again after a pause if a busy machine broke the typing up.
"""
import subprocess
import sys
import time

import pyatspi

TERM, LEVEL, PREFIX = sys.argv[1], sys.argv[2], sys.argv[3]
failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message, file=sys.stderr)


def wait_for(what, find, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = find()
        if found:
            return found
        time.sleep(0.2)
    fail("no " + what + " after %d s" % seconds)
    if frame is not None:
        print_tree(frame)
    sys.exit(1)


def window():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None or app.name != "kestrelon":
            continue
        for child in app:
            if child is not None and child.name == "Kestrelon" and \
                    child.getRole() == pyatspi.ROLE_FRAME:
                return child
    return None


def descendants(node, depth=0):
    yield node, depth
    for child in node:
        if child is not None:
            yield from descendants(child, depth + 1)


def state_names(node):
    return sorted(pyatspi.stateToString(s) for s in node.getState().getStates())


def one(frame, role, name):
    found = [n for n, _ in descendants(frame) if n.getRole() == role and n.name == name]
    if len(found) != 1:
        fail("%d objects with role %s named %r" % (len(found), str(role), name))
        return None
    return found[0]


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


frame = None


def print_tree(top):
    for node, depth in descendants(top):
        if depth <= 3 or len(node.name) < 40:
            print("%s%s %r %s" % ("  " * depth, node.getRoleName(), node.name,
                                  ",".join(s for s in state_names(node)
                                           if s in ("expanded", "expandable", "collapsed",
                                                    "selected", "focused"))))


frame = wait_for("Kestrelon window on the accessibility bus", window)
# The tree fills in as the window is shown.
wait_for("tree of terms", lambda: any(
    n.getRole() in (pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE) for n, _ in descendants(frame)))

tree = [n for n, _ in descendants(frame)
        if n.getRole() in (pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE)]
if len(tree) != 1 or tree[0].name != "Terms":
    fail("the tree of terms: %r" % [(n.getRoleName(), n.name) for n in tree])
button = one(frame, pyatspi.ROLE_PUSH_BUTTON, "Define")
box = one(frame, pyatspi.ROLE_TEXT, "Definition")
label = one(frame, pyatspi.ROLE_LABEL, "Level")
if tree:
    items = {n.name: n for n, _ in descendants(tree[0]) if n.getRole() in (
        pyatspi.ROLE_TREE_ITEM, pyatspi.ROLE_TABLE_CELL)}
    for name in ("Lithology Version 6", "Fault rocks", "Hadean", "Stratigraphic Age"):
        if name not in items:
            fail("no tree item %r" % name)
    # An open branch says so; a closed one says it can be opened; a term
    # without narrower terms says neither.
    for name, states in (("Lithology Version 6", {"expandable", "expanded"}),
                         ("Fault rocks", {"expandable"}), ("Hadean", set())):
        if name in items:
            shown = set(state_names(items[name])) & {"expandable", "expanded", "collapsed"}
            if shown != states:
                fail("%r is %s, not %s" % (name, sorted(shown), sorted(states)))
if box is not None and text_of(box) != "":
    fail("the text box is not empty at the start: %r" % text_of(box))

def selected_after_typing():
    time.sleep(1)  # longer than the pause that starts a search anew
    subprocess.run(["xdotool", "type", "--delay", "50", PREFIX], check=True)
    time.sleep(1)
    return any(n.name == TERM and pyatspi.STATE_SELECTED in n.getState().getStates()
               for n, _ in descendants(tree[0]))


# The term is selected from the keyboard; Define is pressed as a screen
# reader's user would, through the button's action.
if button is not None and label is not None and box is not None:
    wait_for("selected term %r" % TERM, selected_after_typing, seconds=20)
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index("Press") if "Press" in names else 0)
    wanted = "Level: " + LEVEL
    wait_for("label named %r" % wanted, lambda: label.name == wanted)
    if not text_of(box).startswith(TERM + ": "):
        fail("the text box after Define: %r" % text_of(box)[:80])

print_tree(frame)
sys.exit(1 if failures else 0)
