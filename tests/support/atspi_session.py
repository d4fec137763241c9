"""Drives the built wizard over AT-SPI, the desktop's accessibility bus, the
way a screen reader or an assistive tool does, with Qt's real bridge in
between: a session bus, an X server and an accessibility bus of the test's
own, the wizard's windows and controls found by role and name, buttons
pressed, boxes ticked and text set through the actions and interfaces the
bridge offers.

A script using it calls rerun_inside_session() first (it starts itself again
under dbus-run-session and xvfb-run), then start_accessibility_bus() and
load_atspi() once inside. Exits 77 (skipped) only when no accessibility bus
can be started at all.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
WAIT = 15  # seconds for any one thing to appear on the bus
APP_NAME = "Velmora Register"

pyatspi = None
Atspi = None


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
def rerun_inside_session(script, args):
    """Runs script again with --inside under its own session bus and X server."""
    for tool in ("dbus-run-session", "xvfb-run"):
        if not shutil.which(tool):
            skip(f"{tool} is not installed (packages dbus-x11 and xvfb), so no accessibility "
                 "bus can be started")
    # xvfb-run -a takes the first free display from :99 on, and two of them
    # started at once (other tests run beside this one) can both take the
    # same; this one looks for its display further up.
    first = 200 + os.getpid() % 400
    command = ["dbus-run-session", "--", "xvfb-run", "-a", "-n", str(first), "-s",
               "-screen 0 1024x768x24", sys.executable, os.path.abspath(script),
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


def load_atspi():
    """Imports the bindings once the accessibility bus runs (they connect on
    import)."""
    global pyatspi, Atspi
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi as atspi_module
    import pyatspi as pyatspi_module
    Atspi = atspi_module
    pyatspi = pyatspi_module


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
    """The built program, started in folder with arguments; its standard
    output and error go to one log (log_text())."""

    def __init__(self, folder, *arguments, env=None):
        env = dict(env or os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
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
            raise Failure(f"register ended early (exit {self.process.returncode}):\n" +
                          self.log_text()[-2000:])
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.get_process_id() == self.process.pid:
                return uncached(app)
        return None

    def log_text(self):
        self.log.flush()
        self.log.seek(0)
        return self.log.read()

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

    def control(self, window, role, name):
        """Waits for a showing control of that role and name."""
        return wait_for(f'the {role} "{name}"', lambda: self.find(window, role, name))

    def act(self, window, role, name, action):
        control = self.control(window, role, name)
        actions = control.queryAction()
        names = [actions.getName(i) for i in range(actions.nActions)]
        if action not in names:
            raise Failure(f'the {role} "{name}" offers no {action} action, only {names}')
        actions.doAction(names.index(action))

    def press(self, window, name):
        self.act(window, "push button", name, "Press")

    def set_text(self, window, name, value):
        """Sets the text of the text field named name, as an assistive tool
        that types for the player does."""
        field = self.control(window, "text", name)
        if not field.queryEditableText().setTextContents(value):
            raise Failure(f'the text field "{name}" did not take {value!r}')

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def end(self, what="register did not end"):
        try:
            self.process.wait(timeout=WAIT)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise Failure(what)
