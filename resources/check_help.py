#!/usr/bin/env python3
"""Checks what chmcmd does not: that the help pages' links lead to pages and
anchors that exist, and that the texts they quote are the program's own (the
error reports, the table of error numbers, the status texts), read from its
sources. Prints each problem; exits 1 when there is one.

Usage: check_help.py [REPO_ROOT]   (default: this script's folder's parent)
"""
import html.parser
import os
import re
import sys


class Page(html.parser.HTMLParser):
    def __init__(self, path):
        super().__init__(convert_charrefs=True)
        self.anchors, self.links, self.text = set(), [], []
        with open(path, encoding="ascii") as f:
            self.feed(f.read())

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        self.anchors.update(attrs[key] for key in ("id", "name") if key in attrs)
        if tag == "a" and "href" in attrs:
            self.links.append(attrs["href"])

    def handle_data(self, data):
        self.text.append(data)


def table_rows(path):
    """The rows of the table of error numbers, which only messages.html has:
    ("57, 71, 72", "Device I/O error, Disk not ready, Disk media error")."""
    if not path.endswith("messages.html"):
        return []
    with open(path) as f:
        return re.findall(r"<tr><td>([\d, ]+)</td><td>([^<]*)</td>", f.read())


def main(root):
    help_dir = os.path.join(root, "resources", "help")
    pages = {name: Page(os.path.join(help_dir, name)) for name in os.listdir(help_dir)
             if name.endswith(".html")}
    with open(os.path.join(root, "files", "error_numbers.cpp")) as f:
        messages = {int(n): t for n, t in re.findall(r'\{(\d+), "([^"]*)"\}', f.read())}
    sources = ""
    for folder in ("app", "engine", "window", "command_line", "text"):
        for name in sorted(os.listdir(os.path.join(root, folder))):
            with open(os.path.join(root, folder, name)) as f:
                sources += f.read()

    problems = []
    for name, page in sorted(pages.items()):
        for link in page.links:
            target, _, anchor = link.partition("#")
            target = pages.get(target or name)
            if target is None or anchor and anchor not in target.anchors:
                problems.append(f"{name}: the link {link} leads nowhere")
        text = " ".join("".join(page.text).split())
        for number, message in re.findall(r"An Error occured: +(\d+) - ([^.]*)\.", text):
            if messages.get(int(number)) != message:
                problems.append(f"{name}: the report {number} - {message} is not the program's")
        for numbers, listed in table_rows(os.path.join(help_dir, name)):
            wanted = ", ".join(messages.get(int(n), "?") for n in numbers.split(","))
            if " ".join(listed.split()) != wanted:
                problems.append(f"{name}: {numbers} say {listed!r}, the program {wanted!r}")
        for quoted in re.findall(r'"([^"]*\.\.\.)"', text):
            if f'"{quoted}"' not in sources:
                problems.append(f"{name}: the status text {quoted!r} is not the program's")
    for problem in problems:
        print("FAIL ", problem)
    print(f"help: {len(pages)} pages, {len(problems)} problems")
    return 1 if problems or not messages else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else
                  os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
