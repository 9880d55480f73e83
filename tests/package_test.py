#!/usr/bin/env python3
"""The release as a pilot installs it: each zip is unpacked into a folder laid out like the
simulator's, and what landed there is checked: the layout, the DLL's bitness, the manual and its
pictures, and every demo scenario, which must draw what its description promises in kelvane-sim
and draw the same under Wine with the stand-in orbiter.exe and the package's own DLL.

    package_test.py --packages DIR --sim KELVANE_SIM --orbiter EDITION=EXE [--orbiter ...]
                    [--wine-prefix EDITION=DIR ...]

An edition without --orbiter is not run under Wine (the caller says why). Each edition runs in
its own Wine prefix, made by windows/wine_env.sh when missing: the one --wine-prefix names, else
build-package/wineprefix-EDITION, so that the test needs no prefix of another suite's."""
import argparse
import html.parser
import os
import re
import shutil
import struct
import subprocess
import sys
import time
import unittest
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ARGS = None
PE_MACHINES = {"x86": 0x14C, "x64": 0x8664}
# What a simulator's folder holds before the package arrives; none of it may change.
STOCK_FILES = {"orbiter.exe": b"the simulator", "Modules/Plugin/Other.dll": b"another plug-in",
               "Doc/Orbiter.pdf": b"the simulator's manual",
               "Scenarios/Demo/Stock.scn": b"BEGIN_DESC\nA stock scenario\nEND_DESC\n"}
PICK_DISPLAYS = "open Left; draw Left; open Right; draw Right"


def frames(listing):
    """{display name: its rows} from the frames in a transcript."""
    shown, name = {}, None
    for line in listing.split("\n"):
        match = re.fullmatch(r"\[MFD (\w+)\]", line)
        if match:
            name = match.group(1)
            shown[name] = []
        elif line.startswith("[buttons]"):
            name = None
        elif name:
            shown[name].append(line)
    return shown


def promises(scenario_text):
    """The rows the description promises, by display: each quoted text in a paragraph that
    starts "Left display" or "Right display"."""
    description = re.search(r"^BEGIN_DESC\n(.*?)^END_DESC$", scenario_text, re.S | re.M)
    promised = {}
    for paragraph in re.split(r"\n\s*\n", description.group(1) if description else ""):
        match = re.match(r"(Left|Right) display", paragraph)
        if match:
            text = " ".join(line.rstrip() for line in paragraph.split("\n"))
            promised.setdefault(match.group(1), []).extend(re.findall(r'"([^"]+)"', text))
    return promised


class ManualLinks(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.pictures, self.links, self.scripts = [], [], 0

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        self.scripts += tag == "script"
        if tag == "img":
            self.pictures.append(attrs.get("src", ""))
        for key in ("src", "href"):
            if attrs.get(key):
                self.links.append(attrs[key])


class PackageTest(unittest.TestCase):
    def install(self, zip_path, edition):
        simulator = os.path.join(ROOT, "build-package", "install-" + edition)
        shutil.rmtree(simulator, ignore_errors=True)
        for name, data in STOCK_FILES.items():
            os.makedirs(os.path.dirname(os.path.join(simulator, name)), exist_ok=True)
            with open(os.path.join(simulator, name), "wb") as f:
                f.write(data)
        os.makedirs(os.path.join(simulator, "Config"))
        with zipfile.ZipFile(zip_path) as z:
            self.assertIsNone(z.testzip())
            z.extractall(simulator)
        return simulator

    def test_each_package_installs_and_runs(self):
        version = subprocess.run([ARGS.sim, "--version"], capture_output=True, text=True,
                                 check=True).stdout.split()[-1]
        for edition in PE_MACHINES:
            with self.subTest(edition=edition):
                zip_path = os.path.join(ARGS.packages, "Kelvane-%s-%s.zip" % (version, edition))
                simulator = self.install(zip_path, edition)

                # Only Kelvane's own files arrive, in the three folders; the stock ones stay.
                added = {os.path.relpath(os.path.join(d, f), simulator).replace(os.sep, "/")
                         for d, _, names in os.walk(simulator) for f in names} - set(STOCK_FILES)
                for name in added:
                    self.assertRegex(name, r"^(Modules/Plugin/Kelvane\.dll|Doc/Kelvane/"
                                     r"|Scenarios/Kelvane/[^/]+\.scn$)")
                for name, data in STOCK_FILES.items():
                    with open(os.path.join(simulator, name), "rb") as f:
                        self.assertEqual(f.read(), data, name)
                # Every text file a pilot opens on Windows has CR LF line ends throughout.
                for name in added:
                    if not name.endswith((".dll", ".png")):
                        with open(os.path.join(simulator, name), "rb") as f:
                            text = f.read()
                        self.assertIn(b"\r\n", text, name)
                        self.assertNotRegex(text, rb"(?<!\r)\n", name)

                with open(os.path.join(simulator, "Modules", "Plugin", "Kelvane.dll"), "rb") as f:
                    image = f.read(4096)
                pe = struct.unpack_from("<I", image, 0x3C)[0]
                self.assertEqual(image[pe:pe + 4], b"PE\0\0")
                self.assertEqual(struct.unpack_from("<H", image, pe + 4)[0],
                                 PE_MACHINES[edition], "the DLL's machine")

                manual = self.check_manual(simulator, added, version)
                scenarios = sorted(n for n in added if n.startswith("Scenarios/"))
                self.assertGreaterEqual(len(scenarios), 3)
                logs = set()
                for scenario in scenarios:
                    logs.add(self.check_scenario(simulator, scenario, edition))
                if self.orbiter(edition):
                    self.check_manual_quotes_the_host(simulator, edition, manual, logs)

    def check_manual(self, simulator, added, version):
        doc = os.path.join(simulator, "Doc", "Kelvane")
        with open(os.path.join(doc, "manual.html"), encoding="utf-8") as f:
            manual = f.read()
        self.assertIn(version, manual)
        self.assertNotIn("{{", manual)
        links = ManualLinks()
        links.feed(manual)
        self.assertEqual(links.scripts, 0, "the manual has scripts")
        for link in links.links:
            self.assertNotRegex(link, r"^(\w+:|//)", "the manual fetches from outside")
            if not link.startswith("#"):
                self.assertTrue(os.path.isfile(os.path.join(doc, link.split("#")[0])), link)
        # Every picture shown is in the package, and every picture in the package is shown.
        pictures = {"Doc/Kelvane/" + p for p in links.pictures}
        self.assertEqual(pictures, {n for n in added if n.endswith(".png")})
        self.assertGreaterEqual(len(pictures), 9)
        # Beside them: the licence, and the history (CR LF) whose versions the Changes shows.
        self.assertEqual(sorted(os.listdir(doc)),
                         ["CHANGES.txt", "LICENSE.txt", "manual.html", "pictures"])
        # Each release with its date; the newest is the release's, dated as the module's build
        # (its ModuleDate).
        with open(os.path.join(doc, "CHANGES.txt"), encoding="ascii", newline="") as f:
            history = re.findall(r"^((\d+\.\d+\.\d+) \(\d{4}-\d\d-\d\d\))\r\n-+\r$", f.read(),
                                 re.M)
        shown = re.findall(r"<h3>(.*?)</h3>", manual.split('<h2 id="changes">')[1].split("<h2")[0])
        with open(os.path.join(ROOT, "cmake", "version.cmake"), encoding="utf-8") as f:
            built = time.strptime(re.search(r'^set\(KELVANE_RELEASE_DATE "(.*)"\)$', f.read(),
                                            re.M).group(1), "%b %d %Y")
        self.assertEqual(history[:1], [("%s (%s)" % (version, time.strftime("%Y-%m-%d", built)),
                                        version)])
        self.assertEqual(shown, [title for title, _ in history])
        return manual

    def check_manual_quotes_the_host(self, simulator, edition, manual, logs):
        """The log's lines and the Launchpad's entry, as the manual quotes them, are what the
        stand-in host wrote and listed for the package's own DLL: the module's line, the
        obsolete-registration notice but its closing rule, and the line after them."""
        quoted = [html.unescape(t) for t in re.findall(r"<pre[^>]*>(.*?)</pre>", manual, re.S)]
        self.assertEqual(len(logs), 1, logs)
        log = logs.pop()
        self.assertEqual(len(log), 8, log)
        self.assertIn(log[0], quoted, "the manual's log line")
        self.assertIn("\n".join(log[1:6]), quoted, "the manual's obsolete notice")
        self.assertIn("<code>%s</code>" % log[7], manual, "the manual's loading line")
        run = self.run_orbiter(simulator, edition, ["--launchpad"])
        self.assertEqual(run.returncode, 0, run.stdout[-2000:] + run.stderr[-2000:])
        listing = re.findall(r'^category "(.*)"\n((?:  module .*\n)+)', run.stdout, re.M)
        modules = {m: (category, d) for category, block in listing
                   for m, d in re.findall(r'^  module "(.*)": (.*)$', block, re.M)}
        category, description = modules["Kelvane"]
        self.assertEqual(category, "MFD modes")
        self.assertRegex(description, r'^"KELVANE:\\r\\n\\r\\n.+"$')
        shown = description[1:-1].replace("\\r\\n", "\n")
        self.assertIn(shown, quoted, "the manual's Launchpad description")
        # The plug-in the folder held before, which is no DLL at all, stays in the list.
        self.assertEqual(modules["Other"], ("Miscellaneous", "no description"))
        print("package test (%s): the manual quotes the log line and the Launchpad entry as "
              "orbiter.exe wrote and listed them" % edition)

    def orbiter(self, edition):
        return dict(o.split("=", 1) for o in ARGS.orbiter).get(edition)

    def run_orbiter(self, simulator, edition, arguments):
        """The package's folder, with the stand-in orbiter.exe in it, under Wine."""
        shutil.copy(self.orbiter(edition), os.path.join(simulator, "orbiter.exe"))
        prefix = ARGS.wine_prefix.get(edition) or os.path.join(ROOT, "build-package",
                                                               "wineprefix-" + edition)
        return subprocess.run(
            ["bash", "-c", '. windows/wine_env.sh && wine_env "package test" "$1" "$2" >&2 && '
             'cd "$1" && shift 2 && exec "$loader" orbiter.exe "$@"', "-", simulator,
             os.path.abspath(prefix)] + arguments,
            cwd=ROOT, capture_output=True, text=True)

    def check_scenario(self, simulator, scenario, edition):
        path = os.path.join(simulator, scenario)
        with open(path, encoding="utf-8") as f:
            promised = promises(f.read())
        self.assertTrue(promised, scenario + " promises nothing to look at")
        listing = subprocess.run([ARGS.sim, path, "-e", PICK_DISPLAYS], capture_output=True,
                                 text=True, check=True).stdout
        drawn = frames(listing)
        for display, rows in promised.items():
            for row in rows:
                self.assertIn(row.strip(), [r.strip() for r in drawn[display]],
                              "%s, %s display" % (scenario, display))

        if not self.orbiter(edition):
            return ()
        run = self.run_orbiter(simulator, edition,
                               ["--play", scenario.replace("/", "\\"), "--frames", "."])
        self.assertEqual(run.returncode, 0, run.stdout[-2000:] + run.stderr[-2000:])
        self.assertEqual(frames(run.stdout), drawn, scenario + " under Wine")
        print("package test (%s): %s: %d frames drawn under Wine equal kelvane-sim's" %
              (edition, scenario, len(drawn)))
        return tuple(re.findall(r"^log: (.*)$", run.stdout, re.M))


def main():
    global ARGS
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--packages", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--orbiter", action="append", default=[], metavar="EDITION=EXE")
    parser.add_argument("--wine-prefix", action="append", default=[], metavar="EDITION=DIR")
    ARGS, rest = parser.parse_known_args()
    ARGS.wine_prefix = dict(p.split("=", 1) for p in ARGS.wine_prefix)
    unittest.main(argv=[sys.argv[0]] + rest)


if __name__ == "__main__":
    main()
