#!/usr/bin/python3
"""What a screen reader finds in Korvani: reads the program's accessibility tree over AT-SPI,
prints it, and checks that every window and control a user meets is named.

Usage: screen_reader_view.py USER_NAME SERVER_ADDRESS
The program must be running with its sign-on window about to connect as USER_NAME to the chat
server at SERVER_ADDRESS, where this script then signs on another user and writes a message."""
import socket
import sys
import time

import pyatspi
from gi.repository import GLib

APPLICATION_NAMES = ("korvani", "Korvani", "Client")


def application(timeout=20):
    deadline = time.time() + timeout
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name in APPLICATION_NAMES:
                return app
        time.sleep(0.25)
    return None


def shown(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def nodes(node, depth=0):
    """Every node on screen under node, with its depth, as (depth, role, name, node)."""
    try:
        if not shown(node):
            return
        yield depth, node.getRoleName(), node.name, node
        children = [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:  # a node that went away while being read
        return
    for child in children:
        if child is not None:
            yield from nodes(child, depth + 1)


def window(app, title, timeout=20):
    deadline = time.time() + timeout
    while time.time() < deadline:
        for i in range(app.childCount):
            child = app.getChildAtIndex(i)
            if child is not None and child.name == title:
                return child
        time.sleep(0.25)
    return None


def text_of(node):
    try:
        text = node.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        return None


def show(title, top):
    print(f"== {title}")
    for depth, role, name, node in nodes(top):
        text = text_of(node) if role in ("text", "paragraph", "document text", "document frame") else None
        shown = f"  text {text[:70]!r}" if text else ""
        print("  " * depth + f"{role}: {name!r}{shown}")


def check(condition, message, failures):
    if not condition:
        failures.append(message)


def find(top, role, name=None):
    for _, node_role, node_name, node in nodes(top):
        if node_role == role and (name is None or node_name == name):
            return node
    return None


def status_bar_notification(event):
    """The text of a notification that appeared inside a status bar, which Orca speaks by its name
    alone wherever the focus is; None for any other event."""
    try:
        if not event.detail1 or event.source.getRoleName() != "notification":
            return None
        ancestor = event.source.parent
        while ancestor is not None and ancestor.getRoleName() != "status bar":
            ancestor = ancestor.parent
        return event.source.name if ancestor is not None else None
    except Exception:  # a node that went away while being read
        return None


def ignore(event):
    pass


def rows_heard(conversation, server_address):
    """What a screen reader is told while another user joins, writes and writes privately: the text
    inserted into the conversation, and the notifications it would speak."""
    inserted, spoken = [], []

    def on_insert(event):
        if event.source == conversation:
            inserted.append(event.any_data)

    def on_showing(event):
        text = status_bar_notification(event)
        if text is not None:
            spoken.append(text)

    pyatspi.Registry.registerEventListener(on_insert, "object:text-changed:insert")
    pyatspi.Registry.registerEventListener(on_showing, "object:state-changed:showing")
    # As a screen reader does, so that the names it reads are the new ones.
    pyatspi.Registry.registerEventListener(ignore, "object:property-change:accessible-name")
    # Each block goes out from the event loop, after what the one before caused has been read: a
    # notification's name is read when its event is, and the next block changes it.
    blocks = [b"Join bob", b"Message bob:hello, screen reader", b"PMMessage reader:bob|psst"]
    with socket.create_connection((server_address, 1290)) as peer:
        def send_next():
            if blocks:
                peer.sendall(blocks.pop(0))
                return True
            pyatspi.Registry.stop()
            return False

        GLib.timeout_add(1000, send_next)
        pyatspi.Registry.start()
    pyatspi.Registry.deregisterEventListener(on_insert, "object:text-changed:insert")
    pyatspi.Registry.deregisterEventListener(on_showing, "object:state-changed:showing")
    pyatspi.Registry.deregisterEventListener(ignore, "object:property-change:accessible-name")
    return "".join(inserted), spoken


def main():
    user, server_address = sys.argv[1], sys.argv[2]
    failures = []
    app = application()
    if app is None:
        print("the program never showed up on the accessibility bus")
        return 2

    signon = window(app, "Login")
    check(signon is not None and signon.getRoleName() == "frame", "the sign-on window is a frame named Login", failures)
    if signon is not None:
        show("sign-on window", signon)
        check(find(signon, "text", "Username:") is not None, "the user name box is named Username:", failures)
        check(find(signon, "text", "Server IP:") is not None, "the server box is named Server IP:", failures)

    chat = window(app, f"Korvani 1.0 - ({user})")
    check(chat is not None and chat.getRoleName() == "frame", "the chat window is a frame with its caption", failures)
    if chat is not None:
        time.sleep(1)  # the greeting arrives
        show("chat window", chat)
        check(find(chat, "text", "Message") is not None, "the input line is named Message", failures)
        users = find(chat, "list", "Users")
        check(users is not None, "the user list is named Users", failures)
        conversation = find(chat, "text", "Conversation")
        check(conversation is not None, "the conversation is named Conversation", failures)
        if conversation is not None:
            check("Welcome to Korvani Server" in (text_of(conversation) or ""),
                  "the conversation's text reads the welcome banner", failures)
            inserted, spoken = rows_heard(conversation, server_address)
            print(f"== inserted while bob joined and wrote: {inserted!r}")
            print(f"== spoken while bob joined and wrote: {spoken!r}")
            check("bob: hello, screen reader" in inserted, "a new row is inserted into the conversation", failures)
            for said in ("bob joined the chat", "bob: hello, screen reader", "Private message from bob: psst"):
                check(said in spoken, f"a status bar notification says {said!r}", failures)
        for _, role, name, _ in nodes(chat):
            if role in ("push button", "toggle button", "text", "list", "check box", "image"):
                check(bool(name and name.strip()), f"a {role} in the chat window has no name", failures)
        toolbar = find(chat, "tool bar")
        if toolbar is not None:
            buttons = [node for _, role, _, node in nodes(toolbar) if role not in ("tool bar", "separator", "filler")]
            for button in buttons:
                check(button.getRoleName() == "push button",
                      f"the tool bar's {button.name!r} is a push button, not a {button.getRoleName()}", failures)

    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
