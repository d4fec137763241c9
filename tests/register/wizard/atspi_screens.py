#!/usr/bin/python3
"""Reads the wizard's screens the way a screen reader does: over AT-SPI, the
desktop's accessibility bus, with the real Qt bridge in between.

Runs the built `register` twice in test mode (nocheck.txt beside a copy of
it) on the sample configuration's French section, under its own session bus
and X server, and checks:

- the region screen: its buttons are push buttons named in French, and both
  lists have names that are not the entries they show;
- the message dialog that Next opens without a region: an alert whose
  description is its text, with a French-named OK button;
- the personal page: every text field is named by the caption of a label
  shown on the same page.

The tree of each screen is printed, and written to --dump when given. Exits 77
(skipped) only when no accessibility bus can be started at all.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
WAIT = 15  # seconds for any one thing to appear on the bus
APP_NAME = "Velmora Register"


class Failure(Exception):
    pass


def wait_for(what, probe, timeout=WAIT):
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(0.05)


def skip(reason):
    print(f"SKIPPED: {reason}")
    sys.exit(SKIP)


# ---------------------------------------------------------------------------
# A session bus, an X server and the accessibility bus of our own.
# ---------------------------------------------------------------------------
def rerun_inside_session(args):
    """Runs this script again under its own session bus and X server."""
    for tool in ("dbus-run-session", "xvfb-run"):
        if not shutil.which(tool):
            skip(f"{tool} is not installed (packages dbus-x11 and xvfb), so no accessibility "
                 "bus can be started")
    # xvfb-run -a takes the first free display from :99 on, and two of them
    # started at once (other tests run beside this one) can both take the
    # same; this one looks for its display further up.
    first = 200 + os.getpid() % 400
    command = ["dbus-run-session", "--", "xvfb-run", "-a", "-n", str(first), "-s",
               "-screen 0 1024x768x24", sys.executable, os.path.abspath(__file__),
               "--inside"] + args
    return subprocess.call(command)


def start_accessibility_bus():
    launcher = "/usr/libexec/at-spi-bus-launcher"
    if not os.access(launcher, os.X_OK):
        skip(f"{launcher} is missing (package at-spi2-core)")
    bus = subprocess.Popen([launcher, "--launch-immediately"], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)

    def address():
        if bus.poll() is not None:
            skip(f"the accessibility bus launcher ended at once (exit {bus.returncode})")
        reply = subprocess.run(
            ["gdbus", "call", "--session", "--dest", "org.a11y.Bus", "--object-path",
             "/org/a11y/bus", "--method", "org.a11y.Bus.GetAddress"],
            capture_output=True, text=True)
        return reply.returncode == 0 and "unix:" in reply.stdout

    try:
        wait_for("the accessibility bus", address, timeout=10)
    except Failure as e:
        skip(str(e))
    return bus


# ---------------------------------------------------------------------------
# The tree as a screen reader gets it.
# ---------------------------------------------------------------------------
def uncached(app):
    # The wizard renames and shows controls as it goes; read it afresh.
    app.set_cache_mask(Atspi.Cache.NONE)
    return app


def children(acc):
    return [c for c in acc if c is not None]


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def text_of(acc):
    try:
        t = acc.queryText()
        return t.getText(0, t.characterCount)
    except NotImplementedError:
        return None


def walk(acc, depth=0):
    """(depth, accessible) for every showing node below acc, in tree order.
    A list's popup entries (a hundred years) are left out."""
    for child in children(acc):
        if not showing(child) or (child.getRoleName() == "list" and
                                  acc.getRoleName() == "combo box"):
            continue
        yield depth, child
        yield from walk(child, depth + 1)


def describe(acc):
    role = acc.getRoleName()
    line = f'{role} "{acc.name}"'
    if acc.description:
        line += f' (description "{acc.description}")'
    text = text_of(acc) if role in ("text", "password text") else None
    if text:
        line += f" = {text!r}"
    return line


def dump(title, window):
    lines = [f"== {title}", describe(window)]
    lines += ["  " * (d + 1) + describe(a) for d, a in walk(window)]
    return "\n".join(lines)


class Wizard:
    def __init__(self, folder, *arguments):
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
                   QT_QPA_PLATFORM="xcb")
        # A program that ends before it reaches the bus (the X server turning
        # away a client at the very start has been seen) is started once more;
        # the second failure is reported with what the program wrote.
        for attempt in (1, 2):
            self.log = tempfile.TemporaryFile(mode="w+")
            self.process = subprocess.Popen([os.path.join(folder, "register"), *arguments],
                                            env=env, cwd=folder, stdout=self.log,
                                            stderr=subprocess.STDOUT)
            try:
                self.app = wait_for(f"{APP_NAME} (pid {self.process.pid}) on the accessibility "
                                    "bus", self._find_app, timeout=30)
                return
            except Failure:
                if self.process.poll() is None:
                    self.process.kill()
                    self.process.wait()
                    raise
                if attempt == 2:
                    raise

    def _find_app(self):
        if self.process.poll() is not None:
            self.log.seek(0)
            raise Failure(f"register ended early (exit {self.process.returncode}):\n" +
                          self.log.read()[-2000:])
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.get_process_id() == self.process.pid:
                return uncached(app)
        return None

    def windows(self):
        return [w for w in children(self.app) if showing(w)]

    def window(self, role):
        return wait_for(f"a {role} window (the wizard shows " +
                        ", ".join(f'{w.getRoleName()} "{w.name}"' for w in children(self.app)) +
                        ")",
                        lambda: next((w for w in self.windows() if w.getRoleName() == role), None))

    def find(self, window, role, name):
        return next((a for _, a in walk(window) if a.getRoleName() == role and a.name == name),
                    None)

    def press(self, window, name):
        button = wait_for(f'the push button "{name}"', lambda: self.find(window, "push button",
                                                                          name))
        action = button.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        if "Press" not in names:
            raise Failure(f'the push button "{name}" offers no press action, only {names}')
        action.doAction(names.index("Press"))

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def end(self):
        try:
            self.process.wait(timeout=WAIT)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise Failure("register did not end when Cancel was pressed in test mode")


# ---------------------------------------------------------------------------
# The checks.
# ---------------------------------------------------------------------------
def check(condition, message, problems):
    if not condition:
        problems.append(message)


def check_region(window, problems):
    nodes = [a for _, a in walk(window)]
    buttons = {a.name for a in nodes if a.getRoleName() == "push button"}
    check(buttons == {"Suivant", "Annuler"},
          f"region screen: push buttons {sorted(buttons)}, expected Suivant and Annuler", problems)
    lists = [a for a in nodes if a.getRoleName() == "combo box"]
    check(len(lists) == 2, f"region screen: {len(lists)} lists, expected 2", problems)
    for combo, entry in zip(lists, ("Canada", "French")):
        check(combo.name and combo.name != entry,
              f'region screen: a list is named "{combo.name}", its entry is "{entry}"', problems)
        check(combo.description == entry,
              f'region screen: the list "{combo.name}" is described "{combo.description}", '
              f'not by its entry "{entry}"', problems)
    names = sorted(c.name for c in lists)
    check(len(set(names)) == len(names), f"region screen: the lists share a name {names}",
          problems)
    check(not [a for a in nodes if a.getRoleName() == "image" and not a.name and
               a.getState().contains(pyatspi.STATE_FOCUSABLE)],
          "region screen: a focusable image without a name (a picture button read as an image)",
          problems)


def check_personal(window, problems):
    nodes = [(d, a) for d, a in walk(window)]
    captions = {a.name for _, a in nodes if a.getRoleName() == "label"}
    # Every field: a text box, or a list whose edit field carries its name too.
    fields = [a for d, a in nodes if a.getRoleName() in ("text", "combo box")]
    check(len({f.name for f in fields}) >= 11,
          f"personal page: {len(fields)} named fields, expected 11", problems)
    for field in fields:
        check(field.name and field.name in captions,
              f'personal page: a text field named "{field.name}", which no label shows',
              problems)
    buttons = {a.name for _, a in nodes if a.getRoleName() == "push button"}
    check({"Annuler", "Précédent", "Suivant"} <= buttons,
          f"personal page: push buttons {sorted(buttons)}", problems)


def check_message(dialog, problems):
    check(dialog.getRoleName() == "alert", f'message: role "{dialog.getRoleName()}", not alert',
          problems)
    texts = [a.name for _, a in walk(dialog) if a.getRoleName() == "label"]
    check(dialog.description and dialog.description in texts,
          f'message: description "{dialog.description}", the dialog shows {texts}', problems)
    buttons = [a.name for _, a in walk(dialog) if a.getRoleName() == "push button"]
    check(buttons == ["OK"], f"message: push buttons {buttons}", problems)


def run(args):
    bus = start_accessibility_bus()
    global pyatspi, Atspi
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
    import pyatspi

    dumps, problems, wizards = [], [], []
    with tempfile.TemporaryDirectory() as folder:
        shutil.copy(args.register, os.path.join(folder, "register"))
        shutil.copy(args.config, os.path.join(folder, "config.xml"))
        # Test mode: no page is checked on Next, and Cancel ends the program.
        open(os.path.join(folder, "nocheck.txt"), "w").close()
        try:
            # French, nothing chosen: Next reports the missing region.
            wizard = Wizard(folder, "/language=french")
            wizards.append(wizard)
            main = wizard.window("filler")
            wizard.press(main, "Suivant")
            dialog = wizard.window("alert")
            dumps.append(dump("message dialog (Next with no region), french", dialog))
            check_message(dialog, problems)
            wizard.press(dialog, "OK")
            wizard.press(main, "Annuler")
            wizard.end()

            # French for Canada, chosen: the region screen, then the personal page.
            wizard = Wizard(folder, "/default=1", "/language=french", "/country=Canada")
            wizards.append(wizard)
            main = wizard.window("filler")
            wait_for("the preselected lists", lambda: any(
                a.getRoleName() == "combo box" and a.name for _, a in walk(main)))
            dumps.append(dump("region screen, french, Canada", main))
            check_region(main, problems)
            wizard.press(main, "Suivant")
            wizard.find(main, "push button", "Précédent") or wait_for(
                "the welcome screen", lambda: wizard.find(main, "push button", "Précédent"))
            wizard.press(main, "Suivant")
            wait_for("the personal page", lambda: any(
                a.getRoleName() == "text" and a.name.startswith("Prénom") for _, a in walk(main)))
            dumps.append(dump("personal page, french, Canada", main))
            check_personal(main, problems)
            wizard.press(main, "Annuler")
            wizard.end()
        except Failure as e:
            problems.append(str(e))
        finally:
            for wizard in wizards:
                wizard.stop()
            bus.terminate()

    text = "\n\n".join(dumps) + "\n"
    print(text)
    if args.dump:
        with open(args.dump, "w", encoding="utf-8") as f:
            f.write(text)
    for p in problems:
        print(f"FAILED: {p}")
    return 1 if problems else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--register", required=True, help="the built register program")
    parser.add_argument("--config", required=True, help="the sample config.xml")
    parser.add_argument("--dump", help="where to write the trees")
    parser.add_argument("--inside", action="store_true", help=argparse.SUPPRESS)
    args, rest = parser.parse_known_args()
    if not args.inside:
        return rerun_inside_session(sys.argv[1:])
    return run(args)


if __name__ == "__main__":
    sys.exit(main())
