#!/usr/bin/env python3
"""Writes the release packages: one zip per edition of the simulator, each unpacking into the
simulator's own folder as

    Modules/Plugin/Kelvane.dll     the plug-in of that edition's bitness
    Doc/Kelvane/                   the manual, its pictures, the licence and CHANGES.txt
    Scenarios/Kelvane/             the demo scenarios

The manual's pictures and the display rows it quotes come from one kelvane-sim run per figure,
made here, so that text and pictures cannot drift apart. Its Changes section is made from
release/CHANGES.txt, which the package also carries, so that both tell one history; each release
gets its date from cmake/version.cmake. Every text file has Windows line ends. The zips are
reproducible: entries in a fixed order, with fixed permissions and the time of the commit (or
SOURCE_DATE_EPOCH).

    make_package.py --sim KELVANE_SIM --dll x86=PATH --dll x64=PATH --out DIR
"""
import argparse
import html
import os
import re
import struct
import subprocess
import sys
import tempfile
import time
import zipfile

RELEASE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(RELEASE)
EDITIONS = ("x86", "x64")

# The manual's figures: name, kelvane-sim script that sets the display up, caption, and the
# display drawn (the Left one unless an external window's name is given). The sample's vessels:
# GL-01 (DeltaGlider, full), PB-01 (ShuttlePB, 65 %), SH-01 (ShuttleA, main tank 80 %).
FIGURES = [
    ("mass-si", "open Left",
     "GL-01, a Delta-glider with full tanks: the MASS page in SI notation, in grams with prefixes"),
    ("mass-tonnes", "open Left; press Left 1", "The same page in tonnes (UNT pressed once)"),
    ("mass-exp", "open Left; press Left 2",
     "The same page in exponent notation, in kilograms (NOT pressed once)"),
    ("tanks-si", "focus SH-01; open Left; press Left 0",
     "SH-01, a Shuttle-A: the TANKS page on its main tank, in SI notation"),
    ("tanks-percent", "focus SH-01; open Left; press Left 0; press Left 1",
     "The same tank with its contents as a percentage (UNT pressed once)"),
    ("tanks-rcs", "open Left; press Left 0; press Left 3",
     "GL-01's RCS tank (TNK pressed once): the thrusters it feeds fill three rows"),
    ("tanks-exp", "focus PB-01; open Left; press Left 0; press Left 2",
     "PB-01, a Shuttle-PB: the TANKS page in exponent notation"),
    ("engines-si", "focus PB-01; open Left; press Left 0; press Left 0",
     "PB-01's main engine on the ENGINES page, in SI notation and radians"),
    ("engines-degrees",
     "open Left; press Left 0; press Left 0; " + "press Left 3; " * 7 + "press Left 1",
     "GL-01's engine 8, a pitch thruster, with the angular acceleration in degrees"),
    ("engines-exp", "focus SH-01; open Left; press Left 0; press Left 0; press Left 2",
     "SH-01's main engine in exponent notation, the thrust in kN"),
    ("window", "focus PB-01; window open W1; window size W1 400x240; press W1 0",
     "PB-01's TANKS page in an external MFD window 400 pixels wide and 240 high", "W1"),
]


class PackageError(Exception):
    pass


def release_dates():
    """{version: "YYYY-MM-DD"} for every release, from cmake/version.cmake: the one place that
    keeps the versions and their dates (the module's build date is the current one)."""
    path = os.path.join(ROOT, "cmake", "version.cmake")
    with open(path, encoding="utf-8") as f:
        text = f.read()

    def setting(name):
        match = re.search(r'^set\(%s "?([^")]*)"?\)$' % name, text, re.M)
        if not match:
            raise PackageError("%s sets no %s" % (path, name))
        return match.group(1)

    releases = [(setting("KELVANE_VERSION"), setting("KELVANE_RELEASE_DATE"))]
    for entry in setting("KELVANE_EARLIER_RELEASES").split(";"):
        if entry:
            releases.append(tuple(entry.split("=", 1)) if "=" in entry else (entry, ""))
    dates = {}
    for version, date in releases:
        try:
            dates[version] = time.strftime("%Y-%m-%d", time.strptime(date, "%b %d %Y"))
        except ValueError:
            raise PackageError("%s: release %s has no date of the form 'Dec 09 2026': '%s'" %
                               (path, version, date))
    return dates


def windows_text(source, folder):
    """A copy of a text file with CR LF line ends, in folder: Notepad before Windows 10's 1809
    update shows a file of bare LFs as one long line, and every Windows editor shows CR LF as
    written. The simulator reads scenarios with either."""
    with open(source, "rb") as f:
        data = f.read()
    copy = os.path.join(folder, os.path.basename(source))
    with open(copy, "wb") as f:
        f.write(data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n"))
    return copy


def run(command):
    result = subprocess.run(command, capture_output=True, text=True, encoding="utf-8")
    if result.returncode != 0:
        raise PackageError("%s failed (exit %d): %s" %
                           (" ".join(command), result.returncode, result.stderr.strip()))
    return result.stdout


def version_of(sim):
    text = run([sim, "--version"]).strip()
    match = re.fullmatch(r"kelvane-sim (\d+\.\d+\.\d+)", text)
    if not match:
        raise PackageError("kelvane-sim --version printed '%s'" % text)
    return match.group(1)


def frame_rows(listing, heading="[MFD Left]"):
    """The rows of the one drawn display in a kelvane-sim listing, and its button labels."""
    lines = listing.split("\n")
    if heading not in lines:
        raise PackageError("kelvane-sim drew no %s" % heading)
    start = lines.index(heading) + 1
    end = next((i for i in range(start, len(lines)) if lines[i].startswith("[buttons]")), None)
    if end is None:
        raise PackageError("kelvane-sim's %s has no button labels" % heading)
    return lines[start:end], lines[end].split()[1:]


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n":
        raise PackageError("%s is no PNG picture" % path)
    return struct.unpack(">II", head[16:24])


def make_figures(sim, folder):
    figures = {}
    for name, script, caption, *window in FIGURES:
        picture = os.path.join(folder, name + ".png")
        shown = window[0] if window else "Left"
        listing = run([sim, "--size", "256x256", "-e",
                       "%s; draw %s; png %s %s" % (script, shown, shown, picture)])
        rows, labels = frame_rows(listing, "[Window %s]" % shown if window else "[MFD Left]")
        figures[name] = {"rows": rows, "labels": labels, "caption": caption,
                         "size": png_size(picture)}
    return figures


def figure(figures, name):
    if name not in figures:
        raise PackageError("the manual names no figure '%s'" % name)
    return figures[name]


def find_row(figures, name, selector):
    rows = figure(figures, name)["rows"]
    if selector.isdigit():
        if int(selector) < len(rows) and rows[int(selector)]:
            return rows[int(selector)]
    else:
        for row in rows:
            if row.lstrip().startswith(selector):
                return row
    raise PackageError("figure '%s' has no row '%s'" % (name, selector))


def figure_html(figures, name):
    f = figure(figures, name)
    width, height = f["size"]
    caption = html.escape(f["caption"])
    return ('<figure class="display" id="figure-%s">\n'
            '<img src="pictures/%s.png" width="%d" height="%d" alt="%s">\n'
            '<pre class="rows">%s</pre>\n'
            '<figcaption>%s</figcaption>\n'
            '</figure>' % (name, name, width, height, caption,
                           html.escape("\n".join(f["rows"] + ["", "buttons: " + "  ".join(
                               "(none)" if label == "-" else label for label in f["labels"])])),
                           caption))


def read_history():
    """release/CHANGES.txt. Plain ASCII, so that every Windows editor shows it alike."""
    path = os.path.join(RELEASE, "CHANGES.txt")
    try:
        with open(path, encoding="ascii") as f:
            return f.read()
    except UnicodeDecodeError:
        raise PackageError("%s holds a character that is not plain ASCII" % path)


def dated_history(history, dates):
    """The history with each version's heading followed by its release date, as the package
    carries it. A version without a date is refused."""
    def heading(match):
        version = match.group(1)
        if version not in dates:
            raise PackageError("CHANGES.txt's version %s has no date in cmake/version.cmake" %
                               version)
        title = "%s (%s)" % (version, dates[version])
        return "%s\n%s\n" % (title, "-" * len(title))
    return re.sub(r"^(\d+\.\d+\.\d+)\n-+\n", heading, history, flags=re.M)


def changes_html(history, version):
    """The change history as the manual shows it. The history is blocks parted by blank lines:
    a title underlined with "=", then each version (and its date) underlined with "-" and its
    paragraphs and lists of "- " items (an item goes on over lines indented by two blanks);
    `text` is a display's text. The newest version, first, must be the release's."""
    def inline(text):
        text = re.sub(r"`([^`\n]+)`", r"<code>\1</code>", html.escape(text, quote=False))
        if "`" in text:
            raise PackageError("CHANGES.txt has an unpaired ` in: %s" % text)
        return text

    title, *blocks = [b.split("\n") for b in re.split(r"\n[ \t]*\n", history.strip())]
    if len(title) != 2 or set(title[1]) != {"="}:
        raise PackageError("CHANGES.txt starts with no title underlined with =")
    versions, parts = [], []
    for lines in blocks:
        heading = re.fullmatch(r"(\d+\.\d+\.\d+)( \(\d{4}-\d\d-\d\d\))?", lines[0])
        if len(lines) == 2 and heading and set(lines[1]) == {"-"}:
            versions.append(heading.group(1))
            parts.append(("\n" if parts else "") + "<h3>%s</h3>" % lines[0])
        elif not versions:
            raise PackageError("CHANGES.txt has text before its first version: %s" % lines[0])
        elif lines[0].startswith("- "):
            items = []
            for line in lines:
                if line.startswith("- "):
                    items.append(line[2:])
                elif re.match(r"  \S", line):
                    items[-1] += "\n    " + line[2:]
                else:
                    raise PackageError("CHANGES.txt has a list line that is no item: %s" % line)
            parts.append("<ul>\n%s\n</ul>" % "\n".join("  <li>%s</li>" % inline(i) for i in items))
        elif any(re.match(r"\s|- ", line) for line in lines):
            raise PackageError("CHANGES.txt has a paragraph that runs into a list: %s" % lines[0])
        else:
            parts.append("<p>%s</p>" % inline("\n".join(lines)))
    if versions[:1] != [version]:
        raise PackageError("CHANGES.txt's newest version is not the release's, %s" % version)
    return "\n".join(parts)


def render_manual(template, version, figures, changes):
    def replace(match):
        words = match.group(1).split(None, 2)
        kind = words[0]
        if kind == "version" and len(words) == 1:
            return version
        if kind == "changes" and len(words) == 1:
            return changes
        if kind == "figure" and len(words) == 2:
            return figure_html(figures, words[1])
        if kind in ("row", "value") and len(words) == 3:
            row = find_row(figures, words[1], words[2])
            if kind == "row":
                return '<code class="row">%s</code>' % html.escape(row)
            return html.escape(row.split(":", 1)[1].strip() if ":" in row else row.strip())
        raise PackageError("the manual has an unknown placeholder {{%s}}" % match.group(1))

    text = re.sub(r"\{\{([^{}]*)\}\}", replace, template)
    if "{{" in text or "}}" in text:
        raise PackageError("the manual has an unclosed placeholder")
    return text


def commit_time():
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        out = subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"],
                             capture_output=True, text=True, check=True).stdout
        return int(out.strip())
    except (OSError, subprocess.CalledProcessError, ValueError):
        raise PackageError("no commit time to stamp the zip entries with: set SOURCE_DATE_EPOCH")


def write_zip(path, files, stamp):
    """files: {name in the zip: path on disk}. Directories get entries of their own."""
    date_time = time.gmtime(max(stamp, 315532800))[:6]  # zip times start in 1980
    names = set(files)
    for name in files:
        parts = name.split("/")[:-1]
        names.update("/".join(parts[:i]) + "/" for i in range(1, len(parts) + 1))
    temporary = path + ".writing"
    with zipfile.ZipFile(temporary, "w") as z:
        for name in sorted(names):
            info = zipfile.ZipInfo(name, date_time)
            info.create_system = 3  # Unix, so that the permissions below count
            if name.endswith("/"):
                info.external_attr = (0o40755 << 16) | 0x10
                z.writestr(info, b"")
            else:
                info.external_attr = 0o100644 << 16
                info.compress_type = zipfile.ZIP_DEFLATED
                with open(files[name], "rb") as f:
                    z.writestr(info, f.read(), compresslevel=9)
    os.replace(temporary, path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--sim", required=True, help="the built kelvane-sim")
    parser.add_argument("--dll", action="append", default=[], metavar="EDITION=PATH",
                        help="the Kelvane.dll of an edition (x86, x64); both are needed")
    parser.add_argument("--out", required=True, help="folder for the zips")
    args = parser.parse_args()
    try:
        dlls = dict(d.split("=", 1) for d in args.dll if "=" in d)
        if sorted(dlls) != sorted(EDITIONS) or len(args.dll) != len(EDITIONS):
            raise PackageError("give --dll x86=PATH and --dll x64=PATH")
        version = version_of(args.sim)
        dates = release_dates()
        if version not in dates or list(dates)[0] != version:
            raise PackageError("kelvane-sim is version %s, cmake/version.cmake's release is %s:"
                               " build it again" % (version, list(dates)[0]))
        with tempfile.TemporaryDirectory() as staging:
            pictures = os.path.join(staging, "pictures")
            os.mkdir(pictures)
            figures = make_figures(args.sim, pictures)
            history = dated_history(read_history(), dates)
            changes_path = os.path.join(staging, "CHANGES.txt")
            with open(changes_path, "w", encoding="ascii", newline="\r\n") as f:
                f.write(history)
            with open(os.path.join(RELEASE, "manual", "manual.html.in"), encoding="utf-8") as f:
                manual = render_manual(f.read(), version, figures, changes_html(history, version))
            manual_path = os.path.join(staging, "manual.html")
            with open(manual_path, "w", encoding="utf-8", newline="\r\n") as f:
                f.write(manual)
            texts = os.path.join(staging, "texts")
            os.mkdir(texts)
            licence_path = os.path.join(texts, "LICENSE.txt")
            os.replace(windows_text(os.path.join(ROOT, "LICENSE"), texts), licence_path)

            common = {"Doc/Kelvane/manual.html": manual_path,
                      "Doc/Kelvane/CHANGES.txt": changes_path,
                      "Doc/Kelvane/LICENSE.txt": licence_path}
            for name, *_ in FIGURES:
                common["Doc/Kelvane/pictures/%s.png" % name] = os.path.join(pictures,
                                                                            name + ".png")
            scenarios = os.path.join(RELEASE, "scenarios")
            for scenario in sorted(os.listdir(scenarios)):
                if scenario.endswith(".scn"):
                    common["Scenarios/Kelvane/" + scenario] = windows_text(
                        os.path.join(scenarios, scenario), texts)

            os.makedirs(args.out, exist_ok=True)
            stamp = commit_time()
            for edition in EDITIONS:
                files = dict(common)
                files["Modules/Plugin/Kelvane.dll"] = dlls[edition]
                path = os.path.join(args.out, "Kelvane-%s-%s.zip" % (version, edition))
                write_zip(path, files, stamp)
                print("%s: %d bytes" % (path, os.path.getsize(path)))
                for name in sorted(files):
                    print("  %8d  %s" % (os.path.getsize(files[name]), name))
    except (PackageError, OSError, ValueError) as e:
        print("make_package: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
