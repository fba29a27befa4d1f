#!/usr/bin/env python3
"""Checks Kelvor's resources and help file.

Usage: check_resources.py [--windres WINDRES] [--chm KELVOR_CHM] [--exe KELVOR_EXE]
                          [--source-dir DIR] [--repo-root DIR]

Always checked, in the source folder (default: this script's folder):
  kelvor.ico           a well-formed 16x16, 256-colour icon, exactly what
                       make_icon.py writes
  Kelvor.exe.manifest  well-formed, with the program's identity and the
                       common-controls 6.0 dependency
  help/                the project lists every page, the contents and the index
                       point at pages and anchors that exist, every link
                       resolves, nothing is loaded from outside, no scripts;
                       the error numbers and texts, the example error report
                       and the quoted status texts match the program's own
                       (read from its sources in the repository root)
With --windres: kelvor.rc compiles, and holds icon 100 (the icon's image) and
manifest 1 (the manifest file's bytes).
With --chm: the compiled help file is a CHM that holds every page, the contents
and the index, each at its source size.
With --exe: Kelvor.exe holds the same resources, and no second manifest.

Prints one line per check; exits 1 when any check fails.
"""
import argparse
import html.parser
import os
import re
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

RT_ICON = 3
RT_GROUP_ICON = 14
RT_MANIFEST = 24
ICON_ID = 100
MANIFEST_ID = 1
ICON_SIZE = 16
ICON_FILE_LENGTH = 6 + 16 + 40 + 256 * 4 + ICON_SIZE * ICON_SIZE + ICON_SIZE * 4


class CheckFailed(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise CheckFailed(message)


def read(path, mode="rb"):
    with open(path, mode) as f:
        return f.read()


# ---------------------------------------------------------------- icon


def icon_image(data):
    """Checks the ICO structure; returns the image (BITMAPINFOHEADER onwards)."""
    expect(len(data) == ICON_FILE_LENGTH, f"icon is {len(data)} bytes, not {ICON_FILE_LENGTH}")
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    expect((reserved, kind, count) == (0, 1, 1), "ICONDIR is not one icon image")
    width, height, colours, reserved, planes, bits, size, offset = struct.unpack_from(
        "<BBBBHHII", data, 6)
    expect((width, height) == (ICON_SIZE, ICON_SIZE), f"icon entry is {width}x{height}")
    expect(colours == 0 and reserved == 0, "icon entry must say 256 colours (0)")
    expect((planes, bits) == (1, 8), f"icon entry has {planes} planes, {bits} bits")
    expect(offset == 22 and offset + size == len(data), "icon entry's offset or size is wrong")
    image = data[offset:]
    (hsize, bwidth, bheight, bplanes, bbits, compression, image_size, _, _, used,
     important) = struct.unpack_from("<IiiHHIIiiII", image, 0)
    expect(hsize == 40, "image header is not a BITMAPINFOHEADER")
    expect((bwidth, bheight) == (ICON_SIZE, 2 * ICON_SIZE),
           f"bitmap is {bwidth}x{bheight}, not 16x32 (XOR and AND)")
    expect((bplanes, bbits, compression) == (1, 8, 0), "bitmap is not 8-bit BI_RGB")
    expect(used in (0, 256) and important in (0, 256), "bitmap palette is not 256 entries")
    expect(image_size in (0, ICON_SIZE * ICON_SIZE + ICON_SIZE * 4), "biSizeImage is wrong")
    palette = image[40:40 + 1024]
    expect(all(palette[i + 3] == 0 for i in range(0, 1024, 4)), "palette's reserved bytes not 0")
    xor = image[40 + 1024:40 + 1024 + ICON_SIZE * ICON_SIZE]
    mask = image[40 + 1024 + ICON_SIZE * ICON_SIZE:]
    transparent = 0
    used_colours = set()
    for row in range(ICON_SIZE):
        bits_row = int.from_bytes(mask[row * 4:row * 4 + 2], "big")
        expect(mask[row * 4 + 2:row * 4 + 4] == b"\0\0", "AND mask row padding is not zero")
        for col in range(ICON_SIZE):
            index = xor[row * ICON_SIZE + col]
            if bits_row >> (ICON_SIZE - 1 - col) & 1:
                transparent += 1
                expect(index == 0 and palette[0:3] == b"\0\0\0",
                       "a transparent pixel is not black in the XOR bitmap")
            else:
                used_colours.add(palette[4 * index:4 * index + 3])
    expect(transparent < ICON_SIZE * ICON_SIZE // 2, "icon is mostly transparent")
    expect(len(used_colours) >= 4, "icon uses fewer than 4 colours")
    return image


def check_icon(source_dir):
    data = read(os.path.join(source_dir, "kelvor.ico"))
    icon_image(data)
    sys.dont_write_bytecode = True  # no __pycache__ in the source folder
    sys.path.insert(0, source_dir)
    try:
        import make_icon
    finally:
        sys.path.pop(0)
    expect(make_icon.icon_bytes() == data, "kelvor.ico differs from what make_icon.py writes")


# ---------------------------------------------------------------- manifest

ASM = "{urn:schemas-microsoft-com:asm.v1}"
PROGRAM_IDENTITY = {"name": "Kelvor.exe", "version": "0.0.0.0", "processorArchitecture": "x86",
                    "type": "win32"}
CONTROLS_IDENTITY = {"type": "win32", "name": "Microsoft.Windows.Common-Controls",
                     "version": "6.0.0.0", "processorArchitecture": "x86",
                     "publicKeyToken": "6595b64144ccf1df", "language": "*"}


def check_manifest(source_dir):
    data = read(os.path.join(source_dir, "Kelvor.exe.manifest"))
    try:
        root = ET.fromstring(data)
    except ET.ParseError as error:
        raise CheckFailed(f"manifest is not well-formed XML: {error}")
    expect(root.tag == ASM + "assembly", f"manifest root is {root.tag}")
    expect(root.get("manifestVersion") == "1.0", "manifestVersion is not 1.0")
    identities = root.findall(ASM + "assemblyIdentity")
    expect(len(identities) == 1, "manifest needs exactly one assemblyIdentity")
    expect(dict(identities[0].attrib) == PROGRAM_IDENTITY,
           f"program identity is {dict(identities[0].attrib)}")
    dependencies = root.findall(f"{ASM}dependency/{ASM}dependentAssembly/{ASM}assemblyIdentity")
    expect(len(dependencies) == 1, "manifest needs exactly one dependency")
    expect(dict(dependencies[0].attrib) == CONTROLS_IDENTITY,
           f"dependency is {dict(dependencies[0].attrib)}")


# ---------------------------------------------------------------- compiled resources


def parse_res(data):
    """Reads a .res file: returns {(type, name): [data, ...]} (ordinals as ints)."""

    def name_or_ordinal(pos):
        if struct.unpack_from("<H", data, pos)[0] == 0xFFFF:
            return struct.unpack_from("<H", data, pos + 2)[0], pos + 4
        end = pos
        while struct.unpack_from("<H", data, end)[0] != 0:
            end += 2
        return data[pos:end].decode("utf-16-le"), end + 2

    resources = {}
    pos = 0
    while pos + 8 <= len(data):
        data_size, header_size = struct.unpack_from("<II", data, pos)
        kind, after = name_or_ordinal(pos + 8)
        name, after = name_or_ordinal(after)
        body = data[pos + header_size:pos + header_size + data_size]
        expect(len(body) == data_size, "a resource runs past the end of the .res data")
        if data_size or kind != 0:  # the leading empty entry has type 0
            resources.setdefault((kind, name), []).append(body)
        pos += header_size + data_size
        pos += -pos % 4
    return resources


def check_res(resources, source_dir, label):
    image = icon_image(read(os.path.join(source_dir, "kelvor.ico")))
    groups = resources.get((RT_GROUP_ICON, ICON_ID), [])
    expect(len(groups) == 1, f"{label}: no single icon group {ICON_ID}")
    group = groups[0]
    expect(struct.unpack_from("<HHH", group, 0) == (0, 1, 1), f"{label}: icon group is not one image")
    width, height, colours, _, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6)
    expect((width, height, colours, planes, bits) == (16, 16, 0, 1, 8),
           f"{label}: icon group entry is not 16x16, 256 colours")
    expect(size == len(image), f"{label}: icon group gives {size} bytes, not {len(image)}")
    icons = resources.get((RT_ICON, icon_id), [])
    expect(len(icons) == 1 and icons[0] == image, f"{label}: icon {icon_id} is not kelvor.ico's image")
    manifests = [body for (kind, _), bodies in resources.items() if kind == RT_MANIFEST
                 for body in bodies]
    expect(len(manifests) == 1, f"{label}: {len(manifests)} manifests, not one")
    expect(resources.get((RT_MANIFEST, MANIFEST_ID)) == [read(os.path.join(source_dir,
                                                                         "Kelvor.exe.manifest"))],
           f"{label}: manifest {MANIFEST_ID} is not Kelvor.exe.manifest")


def windres_res(windres, args):
    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "out.res")
        result = subprocess.run([windres, *args, "-O", "res", "-o", out],
                                capture_output=True, text=True)
        expect(result.returncode == 0, f"{windres} failed: {result.stderr.strip()}")
        return parse_res(read(out))


def check_rc(source_dir, windres):
    rc = os.path.join(source_dir, "kelvor.rc")
    with tempfile.TemporaryDirectory() as work:
        obj = os.path.join(work, "kelvor_res.o")
        result = subprocess.run([windres, "-I", source_dir, rc, "-O", "coff", "-o", obj],
                                capture_output=True, text=True, cwd=work)
        expect(result.returncode == 0, f"kelvor.rc does not compile: {result.stderr.strip()}")
        check_res(windres_res(windres, ["-i", obj, "-J", "coff"]), source_dir, "kelvor.rc")


def check_exe(source_dir, windres, exe):
    expect(os.path.isfile(exe), f"{exe} does not exist")
    check_res(windres_res(windres, ["-i", exe, "-J", "coff"]), source_dir, "Kelvor.exe")


# ---------------------------------------------------------------- help sources


def hhp_sections(text):
    sections = {}
    current = None
    for line in text.splitlines():
        line = line.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], [])
        else:
            expect(current is not None, f"project line outside a section: {line}")
            current.append(line)
    return sections


class PageParser(html.parser.HTMLParser):
    # Elements that load something, run something or leave the help file.
    FORBIDDEN_TAGS = {"img", "link", "iframe", "frame", "embed", "applet", "script", "base",
                      "form", "input", "audio", "video", "source"}
    SITEMAP_TYPES = {"text/sitemap", "text/site properties"}

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.anchors = set()
        self.links = []
        self.problems = []
        self.title = ""
        self.sitemap = []  # {"Name": ..., "Local": ...} of each sitemap object
        self.text = []
        self.open_tag = None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        self.open_tag = tag
        for name in attrs:
            if name.startswith("on"):
                self.problems.append(f"an event handler ({name})")
        if tag in self.FORBIDDEN_TAGS:
            self.problems.append(f"a <{tag}> element")
        if tag == "object" and attrs.get("type") not in self.SITEMAP_TYPES:
            self.problems.append("an <object> that is not a sitemap entry")
        if tag == "meta" and attrs.get("http-equiv", "").lower() == "refresh":
            self.problems.append("a refresh")
        if "src" in attrs:
            self.problems.append(f"src={attrs['src']}")
        if "url(" in attrs.get("style", ""):
            self.problems.append("a url() in a style")
        if "id" in attrs:
            self.anchors.add(attrs["id"])
        if tag == "a" and "name" in attrs:
            self.anchors.add(attrs["name"])
        if tag == "a" and "href" in attrs:
            self.links.append(attrs["href"])
        if tag == "object" and attrs.get("type") == "text/sitemap":
            self.sitemap.append({})
        if tag == "param" and self.sitemap and attrs.get("name") in ("Name", "Local"):
            self.sitemap[-1][attrs["name"]] = attrs.get("value", "")

    def handle_endtag(self, tag):
        self.open_tag = None

    def handle_data(self, data):
        if self.open_tag == "title":
            self.title += data
        elif self.open_tag == "style":
            if "url(" in data or "@import" in data:
                self.problems.append("a style sheet that loads something")
        else:
            self.text.append(data)


def parse_page(path):
    raw = read(path)
    try:
        text = raw.decode("ascii")
    except UnicodeDecodeError:
        raise CheckFailed(f"{os.path.basename(path)} is not plain ASCII")
    parser = PageParser()
    parser.feed(text)
    parser.close()
    return parser


def program_messages(repo_root):
    source = read(os.path.join(repo_root, "files", "error_numbers.cpp"), "r")
    return {int(n): t for n, t in re.findall(r'\{(\d+), "([^"]*)"\}', source)}


def program_texts(repo_root):
    texts = []
    for folder in ("engine", "ui", "app"):
        base = os.path.join(repo_root, folder)
        if not os.path.isdir(base):
            continue
        for name in sorted(os.listdir(base)):
            if name.endswith((".cpp", ".h")):
                texts.append(read(os.path.join(base, name), "r"))
    return "\n".join(texts)


def resolve(link, page, pages):
    """The (page, anchor) a link names, or a problem text."""
    if re.match(r"^[a-zA-Z][a-zA-Z0-9+.-]*:|^//|^\\\\", link):
        return None, f"{page}: external link {link}"
    target, _, anchor = link.partition("#")
    target = target or page
    if target not in pages:
        return None, f"{page}: link to a missing page {link}"
    if anchor and anchor not in pages[target].anchors:
        return None, f"{page}: link to a missing anchor {link}"
    return (target, anchor), None


def check_help(source_dir, repo_root):
    help_dir = os.path.join(source_dir, "help")
    sections = hhp_sections(read(os.path.join(help_dir, "Kelvor.hhp"), "r"))
    options = dict(line.split("=", 1) for line in sections.get("OPTIONS", []))
    expect(options.get("Compiled file") == "Kelvor.chm", "the project does not make Kelvor.chm")
    files = sections.get("FILES", [])
    expect(files, "the project lists no pages")
    on_disk = sorted(n for n in os.listdir(help_dir) if n.endswith((".html", ".htm")))
    expect(sorted(files) == on_disk, f"the project lists {sorted(files)}, the folder has {on_disk}")
    pages = {name: parse_page(os.path.join(help_dir, name)) for name in files}
    expect(options.get("Default topic") in pages, "the default topic is not a listed page")

    problems = []
    for name, page in pages.items():
        problems += [f"{name}: {p}" for p in page.problems]
        if not page.title.strip():
            problems.append(f"{name}: no title")
        for link in page.links:
            problems.append(resolve(link, name, pages)[1])

    contents = parse_page(os.path.join(help_dir, options.get("Contents file", "")))
    toc_pages = [entry.get("Local") for entry in contents.sitemap]
    if sorted(toc_pages) != sorted(files) or len(set(toc_pages)) != len(toc_pages):
        problems.append(f"the contents list {toc_pages}, not each page once")
    for entry in contents.sitemap:
        page = pages.get(entry.get("Local"))
        if page and entry.get("Name") != page.title.strip():
            problems.append(f"contents entry {entry.get('Name')!r} is not the title "
                            f"{page.title.strip()!r} of {entry.get('Local')}")
    index = parse_page(os.path.join(help_dir, options.get("Index file", "")))
    if not index.sitemap:
        problems.append("the index is empty")
    for entry in index.sitemap:
        if not entry.get("Name"):
            problems.append("an index entry without a name")
        problems.append(resolve(entry.get("Local", ""), "Kelvor.hhk", pages)[1])

    # The program's own texts, as the pages quote them.
    messages = program_messages(repo_root)
    expect(len(messages) > 10, "no message table found in files/error_numbers.cpp")
    texts = program_texts(repo_root)
    for name, page in pages.items():
        body = "".join(page.text)
        for number, text in re.findall(r"An Error occured: +(\d+) - ([^.\n]*)\.", body):
            if messages.get(int(number)) != text:
                problems.append(f"{name}: error report {number} - {text} is not the program's")
        if name == "messages.html":
            rows = re.findall(r"<tr><td>([\d, ]+)</td><td>([^<]*)</td>",
                              read(os.path.join(help_dir, name), "r"))
            if not rows:
                problems.append("messages.html has no table of error numbers")
            for numbers, text in rows:
                numbers = [int(n) for n in numbers.split(",")]
                wanted = ", ".join(messages.get(n, "?") for n in numbers)
                if " ".join(text.split()) != wanted:
                    problems.append(f"messages.html: {numbers} say {text!r}, the program {wanted!r}")
        for quoted in re.findall(r'"([^"\n]*\.\.\.)"', " ".join(body.split())):
            if f'"{quoted}"' not in texts:
                problems.append(f"{name}: status text {quoted!r} is not the program's")
    problems = [p for p in problems if p]
    expect(not problems, "; ".join(problems))


# ---------------------------------------------------------------- compiled help


def encint(data, pos):
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, pos


def chm_directory(data):
    """Reads a CHM's (ITSF) directory: returns {name: (section, offset, length)}."""
    expect(data[:4] == b"ITSF", "not a CHM file (no ITSF signature)")
    dir_offset, dir_length = struct.unpack_from("<QQ", data, 0x48)
    itsp = data[dir_offset:dir_offset + dir_length]
    expect(itsp[:4] == b"ITSP", "CHM directory has no ITSP header")
    header_length, _, chunk_size = struct.unpack_from("<III", itsp, 8)
    first_chunk = struct.unpack_from("<i", itsp, 0x20)[0]
    entries = {}
    chunk_number = first_chunk
    seen = set()
    while chunk_number != -1:
        expect(chunk_number not in seen, "CHM directory chunks loop")
        seen.add(chunk_number)
        start = header_length + chunk_number * chunk_size
        chunk = itsp[start:start + chunk_size]
        expect(chunk[:4] == b"PMGL", "CHM directory chunk is not a listing chunk")
        free_space, _, _, next_chunk = struct.unpack_from("<IIii", chunk, 4)
        pos, end = 0x14, chunk_size - free_space
        while pos < end:
            length, pos = encint(chunk, pos)
            name = chunk[pos:pos + length].decode("utf-8")
            pos += length
            section, pos = encint(chunk, pos)
            offset, pos = encint(chunk, pos)
            size, pos = encint(chunk, pos)
            entries[name] = (section, offset, size)
        chunk_number = next_chunk
    return entries


def check_chm(source_dir, chm):
    expect(os.path.isfile(chm), f"{chm} does not exist")
    entries = chm_directory(read(chm))
    help_dir = os.path.join(source_dir, "help")
    sections = hhp_sections(read(os.path.join(help_dir, "Kelvor.hhp"), "r"))
    options = dict(line.split("=", 1) for line in sections["OPTIONS"])
    wanted = sections["FILES"] + [options["Contents file"], options["Index file"]]
    for special in ("/#SYSTEM", "/#TOPICS", "/#URLSTR"):
        expect(special in entries, f"the CHM has no {special}")
    for name in wanted:
        size = os.path.getsize(os.path.join(help_dir, name))
        expect(f"/{name}" in entries, f"the CHM does not hold {name}")
        expect(entries[f"/{name}"][2] == size,
               f"the CHM holds {name} with {entries['/' + name][2]} bytes, the source has {size}")


# ---------------------------------------------------------------- main


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Checks Kelvor's resources and help file.")
    parser.add_argument("--windres")
    parser.add_argument("--chm")
    parser.add_argument("--exe")
    parser.add_argument("--source-dir", default=here)
    parser.add_argument("--repo-root", default=os.path.dirname(here))
    args = parser.parse_args()
    if args.exe and not args.windres:
        parser.error("--exe needs --windres")

    checks = [
        ("icon", lambda: check_icon(args.source_dir)),
        ("manifest", lambda: check_manifest(args.source_dir)),
        ("help sources", lambda: check_help(args.source_dir, args.repo_root)),
    ]
    if args.windres:
        checks.append(("resource script", lambda: check_rc(args.source_dir, args.windres)))
    if args.chm:
        checks.append(("help file", lambda: check_chm(args.source_dir, args.chm)))
    if args.exe:
        checks.append(("Kelvor.exe resources",
                       lambda: check_exe(args.source_dir, args.windres, args.exe)))

    failures = 0
    for label, check in checks:
        try:
            check()
            print(f"ok    {label}")
        except (CheckFailed, OSError, ValueError, KeyError, struct.error) as error:
            failures += 1
            print(f"FAIL  {label}: {error}")
    print(f"resources: {len(checks) - failures} of {len(checks)} checks good")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
