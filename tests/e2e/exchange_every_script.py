#!/usr/bin/python3
"""Two korvani programs exchange text in every script through korvani-server: what ann types
reaches bob's conversation character for character, while peers that know only Windows-1250 in
the same room receive exactly the bytes they always did, one "?" for each character the code page
lacks.

Usage: exchange_every_script.py SERVER_ADDRESS WORK_FOLDER
WORK_FOLDER holds one folder per user (ann, bob) with the program and its settings; the server
listens at SERVER_ADDRESS."""
import os
import socket
import subprocess
import sys
import time

import pyatspi

TEXT = "Zażółć gęślą jaźń 😀 日本 Ελληνικά עברית"
# What Windows-1250 holds of it: one "?" for each character as the user sees it that it lacks.
TEXT_1250 = "Zażółć gęślą jaźń ? ?? ???????? ?????".encode("cp1250")
OFFER = b"\0Framing 1\0"
SWITCH = b"\0Framed 1\0"


def start_program(work, user):
    folder = os.path.join(work, user)
    environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    log = open(os.path.join(folder, "client.log"), "wb")
    return subprocess.Popen([os.path.join(folder, "korvani")], cwd=folder, env=environment, stdout=log, stderr=log)


def nodes(node):
    try:
        yield node
        children = [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:  # a node that went away while being read
        return
    for child in children:
        if child is not None:
            yield from nodes(child)


def chat_window(user, timeout=30):
    title = f"Korvani 1.0 - ({user})"
    deadline = time.time() + timeout
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            for i in range(app.childCount if app is not None else 0):
                child = app.getChildAtIndex(i)
                if child is not None and child.name == title:
                    return child
        time.sleep(0.25)
    return None


def find(top, role, name):
    for node in nodes(top):
        try:
            if node.getRoleName() == role and node.name == name:
                return node
        except Exception:
            continue
    return None


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


def wait_for(condition, timeout=20):
    deadline = time.time() + timeout
    while time.time() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(0.2)
    return condition()


class Peer:
    """A raw connection; framed=True switches when offered but never answers the extensions."""

    def __init__(self, address, name, framed):
        self.socket = socket.create_connection((address, 1290))
        self.socket.settimeout(0.2)
        self.received = b""
        self.socket.sendall(b"Join " + name)
        if framed:
            wait_for(lambda: self.read() or OFFER in self.received)
            self.socket.sendall(SWITCH)

    def read(self):
        try:
            data = self.socket.recv(65536)
            self.received += data
        except socket.timeout:
            pass
        return False


def main():
    address, work = sys.argv[1], sys.argv[2]
    failures = []

    def check(condition, message):
        if not condition:
            failures.append(message)

    old = Peer(address, b"old", framed=False)
    framed = Peer(address, b"framed", framed=True)
    # Without a window manager the window mapped last is on top: ann's, where the pointer clicks.
    programs = [start_program(work, "bob")]
    try:
        bob = chat_window("bob")
        programs.append(start_program(work, "ann"))
        ann = chat_window("ann")
        if ann is None or bob is None:
            print("FAIL: the chat windows never showed up on the accessibility bus")
            return 2
        conversation = find(bob, "text", "Conversation")
        line = find(ann, "text", "Message")
        check(conversation is not None and line is not None, "the conversation and the input line are found")
        if failures:
            return report(failures)
        # Both programs have their greeting before ann writes.
        time.sleep(2)

        line.queryEditableText().setTextContents(TEXT)
        x, y, width, height = line.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        pyatspi.Registry.generateMouseEvent(x + width // 2, y + height // 2, "b1c")
        time.sleep(0.5)
        pyatspi.Registry.generateKeyboardEvent(36, None, pyatspi.KEY_PRESSRELEASE)  # Return

        expected = "ann: " + TEXT
        shown = wait_for(lambda: expected in text_of(conversation))
        print(f"== bob's conversation: {text_of(conversation)!r}")
        check(shown, "bob's conversation shows ann's text character for character")

        wire = b"Message ann:" + TEXT_1250
        wait_for(lambda: old.read() or framed.read() or (wire in old.received and wire + b"\0" in framed.received))
        print(f"== unframed peer received: {old.received!r}")
        print(f"== framed peer received: {framed.received!r}")
        check(wire in old.received, "the Windows-1250 peer receives the old bytes with one ? per lost character")
        check(b"Extensions" not in old.received and b"\0" not in old.received.replace(OFFER, b""),
              "the unframed peer sees neither framing beyond the offer nor extensions")
        check(old.received.count(OFFER) == 1, "the unframed peer sees the framing offer once")
        check(framed.received.startswith(OFFER + SWITCH + b"Extensions UTF-8\0Welcome Korvani\0"),
              "the framed peer that does not answer gets the offer, then its greeting after the pause")
        check(wire + b"\0" in framed.received, "the framed Windows-1250 peer receives the old bytes, framed")
    finally:
        for program in programs:
            program.terminate()
            program.wait(10)
    return report(failures)


def report(failures):
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
