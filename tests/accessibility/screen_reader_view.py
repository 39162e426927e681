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


def rows_heard(conversation, server_address):
    """The text a screen reader is told of while another user joins and writes."""
    heard = []

    def on_insert(event):
        if event.source == conversation:
            heard.append(event.any_data)

    pyatspi.Registry.registerEventListener(on_insert, "object:text-changed:insert")
    with socket.create_connection((server_address, 1290)) as peer:
        peer.sendall(b"Join bob")
        time.sleep(0.5)
        peer.sendall(b"Message bob:hello, screen reader")
        GLib.timeout_add(3000, pyatspi.Registry.stop)
        pyatspi.Registry.start()
    pyatspi.Registry.deregisterEventListener(on_insert, "object:text-changed:insert")
    return "".join(heard)


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
            heard = rows_heard(conversation, server_address)
            print(f"== told while bob joined and wrote: {heard!r}")
            check("bob: hello, screen reader" in heard, "a new row is told to the screen reader", failures)
        for _, role, name, _ in nodes(chat):
            if role in ("push button", "toggle button", "text", "list", "check box"):
                check(bool(name and name.strip()), f"a {role} in the chat window has no name", failures)

    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
