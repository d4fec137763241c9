#!/usr/bin/python3
"""The built wizard registering through the built registrations service.

Starts `registrations serve` on a free loopback port with a database and the
sample configuration of its own, and the built `register` under an X server of
its own, pointed at it. Fills every page of the English section as a player
would (through the accessibility bus: text typed into the fields, boxes
ticked, options chosen, a list's entries selected, dates), presses OK on the
method page, then stops the service and checks what `registrations export
--config` gives: the header named by the questions' texts and one row with
every value as it was entered.

Rows: plain HTTP; HTTPS with a certificate of a test authority named by
SSL_CERT_FILE; the same service without it, where the wizard shows its error
page, says on standard error that the certificate was not trusted, and
nothing is stored.
"""

import argparse
import csv
import io
import os
import re
import selectors
import shutil
import signal
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import atspi_session as session  # noqa: E402
from atspi_session import Failure, Wizard, dump, wait_for  # noqa: E402

# What the player enters, page by page, in the order of the pages. Values
# carry what the wire format has to escape twice (".?/:=&%"), the list and id
# separators, quotes and commas for the CSV, letters inside and outside
# Windows-1252, and leading characters a spreadsheet would evaluate.
BIRTH = {"Day": "17", "Month": "5", "Year": "1990"}
PERSONAL = {
    "First name *": "Zoé",
    "Last name *": "O'Neil-Ünal",
    "Address *": "12 Rue de la Paix, Apt. 3",
    "Address (cont.)": "c/o \"Le Café\" & Co.",
    "City *": "Paris",
    "Postal code *": "75002",
    "Telephone": "+33 1 23 45 67 89",
    "E-mail *": "zoe.oneil@example.org",
    "Player name": "zo=e&1?x",
}
QUESTIONS_1 = {
    "texts": {"Your favourite game of all time": "Chess | Go ` 2.0 ✓ 100%"},
    "combo": ("Where did you hear about Ember Reach?", "A shop"),
    "option": "Rarely",
}
QUESTIONS_2 = {"boxes": ["Adventure", "Puzzle"], "list": ["Laptop", "Console"]}
QUESTIONS_3 = {
    "date": ("When did you buy Ember Reach? (day / month / year):", {"Day": "3", "Month": "11",
                                                                  "Year": "2026"}),
    "option": "No, thank you",
    "texts": {"Anything you would like to tell us?": "=SUM(A1) \"must play\"; 10/10, é%2E"},
}

# The export: every column of the sample's header, and the value the row must
# hold there (None: checked apart).
EXPECTED_ROW = [
    ("FirstName", "Zoé"),
    ("LastName", "O'Neil-Ünal"),
    ("dob", "1990/5/17"),
    ("Address1", "12 Rue de la Paix, Apt. 3"),
    ("Address2", "c/o \"Le Café\" & Co."),
    ("City", "Paris"),
    ("State", ""),
    ("Zip", "75002"),
    ("Country", "France"),
    ("Phone", "+33 1 23 45 67 89"),
    ("Email", "zoe.oneil@example.org"),
    ("Login", "zo=e&1?x"),
    ("Product", "Ember Reach"),
    ("Where did you hear about Ember Reach?", "A shop"),
    ("How often do you play games?", "Rarely"),
    ("Your favourite game of all time", "Chess | Go ` 2.0 ✓ 100%"),
    ("Which kinds of games do you enjoy? (tick at least one)", "Adventure; Puzzle"),
    ("Which devices do you play on? (click to select, click again to clear)", "Laptop; Console"),
    ("When did you buy Ember Reach? (day / month / year)", "2026/11/3"),
    ("Would you like to receive news about Velmora games?", "No, thank you"),
    # A formula-looking answer is exported with a leading apostrophe; the
    # player's "%2E" arrives as "." (the wire format does not escape "%").
    ("Anything you would like to tell us?", "'=SUM(A1) \"must play\"; 10/10, é."),
    ("received", None),
    ("game", "Ember Reach"),
    ("language", "English"),
    ("number", "1"),
]

# name, TLS, whether the wizard is told the test authority, whether it registers.
CASES = [
    ("plainHttp", False, False, True),
    ("tlsWithTheAuthorityNamed", True, True, True),
    ("tlsWithAnUnknownAuthority", True, False, False),
]


def run(command, cwd=None, timeout=60):
    done = subprocess.run(command, cwd=cwd, capture_output=True, timeout=timeout)
    if done.returncode != 0:
        raise Failure(f"{' '.join(command)} failed ({done.returncode}): "
                      f"{done.stderr.decode(errors='replace')[-1000:]}")
    return done.stdout


def make_certificates(folder):
    """A test certificate authority and a certificate it signed for
    127.0.0.1: ca.pem, server.pem, server.key."""
    with open(os.path.join(folder, "server.ext"), "w") as f:
        f.write("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n")
    run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out",
         "ca.pem", "-days", "2", "-subj", "/CN=Velmora test CA"], cwd=folder)
    run(["openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", "server.key", "-out",
         "server.csr", "-subj", "/CN=127.0.0.1"], cwd=folder)
    run(["openssl", "x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
         "-CAcreateserial", "-out", "server.pem", "-days", "2", "-extfile", "server.ext"],
        cwd=folder)


class Service:
    """registrations serve on 127.0.0.1, a free port; its log in a file."""

    def __init__(self, program, folder, arguments):
        self.errors = open(os.path.join(folder, "service.log"), "w+")
        self.process = subprocess.Popen(
            [program, "serve", "--listen", "127.0.0.1:0", *arguments],
            stdout=subprocess.PIPE, stderr=self.errors)
        selector = selectors.DefaultSelector()
        selector.register(self.process.stdout, selectors.EVENT_READ)
        line = b""
        while not line.endswith(b"\n"):
            if not selector.select(timeout=session.WAIT):
                self.stop()
                raise Failure("the service did not say where it listens")
            chunk = os.read(self.process.stdout.fileno(), 256)
            if not chunk:
                break
            line += chunk
        match = re.match(rb"listening on 127\.0\.0\.1:(\d+)\n", line)
        if not match:
            self.stop()
            raise Failure(f"the service started with {line!r}: {self.log()}")
        self.port = int(match.group(1))

    def log(self):
        self.errors.flush()
        self.errors.seek(0)
        return self.errors.read()

    def stop(self):
        """SIGTERM, and its exit status."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        return self.process.returncode


def fill_date(wizard, main, caption, parts):
    # The three lists of a date are named by the question and the part.
    for part, value in parts.items():
        wizard.set_text(main, f"{caption} {part}", value)


def register(wizard, main):
    """From the region screen to the method page's OK."""
    wizard.press(main, "Next")
    fill_date(wizard, main, "Your date of birth (day / month / year):", BIRTH)
    wizard.press(main, "Next")
    for name, value in PERSONAL.items():
        wizard.set_text(main, name, value)
    wizard.press(main, "Next")

    combo, choice = QUESTIONS_1["combo"]
    wizard.set_text(main, combo, choice)
    wizard.act(main, "radio button", QUESTIONS_1["option"], "Toggle")
    for name, value in QUESTIONS_1["texts"].items():
        wizard.set_text(main, name, value)
    wizard.press(main, "Next")

    for name in QUESTIONS_2["boxes"] + QUESTIONS_2["list"]:
        wizard.act(main, "check box", name, "Toggle")
    wizard.press(main, "Next")

    caption, parts = QUESTIONS_3["date"]
    fill_date(wizard, main, caption, parts)
    wizard.act(main, "radio button", QUESTIONS_3["option"], "Toggle")
    for name, value in QUESTIONS_3["texts"].items():
        wizard.set_text(main, name, value)
    wizard.press(main, "Submit")

    wizard.act(main, "radio button", "Register online now", "Toggle")
    wizard.press(main, "OK")


def label_shown(wizard, main, start):
    return any(a.getRoleName() == "label" and a.name.startswith(start)
               for _, a in session.walk(main))


def check_export(args, folder, registered, problems, name):
    exported = run([args.registrations, "export", "--db", os.path.join(folder, "db"),
                    "--config", os.path.join(folder, "config.xml"), "--format", "csv"])
    rows = list(csv.reader(io.StringIO(exported.decode("utf-8"), newline="")))
    header = [column for column, _ in EXPECTED_ROW]
    if not rows or rows[0] != header:
        problems.append(f"{name}: header {rows[0] if rows else None}, expected {header}")
        return
    if not registered:
        if len(rows) != 1:
            problems.append(f"{name}: {len(rows) - 1} rows stored, expected none")
        return
    if len(rows) != 2:
        problems.append(f"{name}: {len(rows) - 1} rows, expected 1: {rows[1:]}")
        return
    for (column, expected), value in zip(EXPECTED_ROW, rows[1]):
        if expected is None:
            continue
        if value != expected:
            problems.append(f"{name}: column {column!r} is {value!r}, expected {expected!r}")
    received = rows[1][header.index("received")]
    if not re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d(\.\d+)?Z", received):
        problems.append(f"{name}: received {received!r} is not a UTC ISO 8601 time")


def run_case(args, case, problems, dumps):
    name, tls, trusted, registers = case
    with tempfile.TemporaryDirectory() as folder:
        # The game folder: the program, its network module and the configuration.
        for program in ("register", "register-services.so"):
            shutil.copy(os.path.join(os.path.dirname(args.register), program), folder)
        shutil.copy(args.config, os.path.join(folder, "config.xml"))
        arguments = ["--db", os.path.join(folder, "db"), "--config",
                     os.path.join(folder, "config.xml")]
        if tls:
            make_certificates(folder)
            arguments += ["--tls-cert", os.path.join(folder, "server.pem"), "--tls-key",
                          os.path.join(folder, "server.key")]
        service = Service(args.registrations, folder, arguments)
        env = {k: v for k, v in os.environ.items()
               if k not in ("CURL_CA_BUNDLE", "SSL_CERT_FILE", "SSL_CERT_DIR") and
               not k.lower().endswith("_proxy")}
        runtime = os.path.join(folder, "runtime")
        os.mkdir(runtime, 0o700)
        env.update(HOME=folder, XDG_CONFIG_HOME=os.path.join(folder, "cfg"),
                   XDG_RUNTIME_DIR=runtime, no_proxy="*")
        if trusted:
            env["SSL_CERT_FILE"] = os.path.join(folder, "ca.pem")
        url = f"{'https' if tls else 'http'}://127.0.0.1:{service.port}/register.asp"
        wizard = None
        try:
            wizard = Wizard(folder, f"/url={url}", "/default=1", "/language=english",
                            "/country=France", env=env)
            main = wizard.window("filler")
            try:
                register(wizard, main)
                if registers:
                    wait_for("the thanks page", lambda: label_shown(
                        wizard, main, "Thank you for registering Ember Reach!"))
                    wizard.press(main, "Finish")
                else:
                    wait_for("the error page", lambda: label_shown(
                        wizard, main, "We could not reach the registration server."))
                    wizard.press(main, "Exit")
            except Failure:
                dumps.append(dump(f"{name}: the screen when it failed", main))
                raise
            if not registers and "certificate" not in wizard.log_text():
                problems.append(f"{name}: the wizard did not name the certificate problem: "
                                f"{wizard.log_text()[-1000:]}")
        except Failure as e:
            problems.append(f"{name}: {e}")
            if wizard:
                problems.append(f"{name}: the wizard wrote: {wizard.log_text()[-2000:]}")
        finally:
            if wizard:
                wizard.stop()
            status = service.stop()
        if status != 0:
            problems.append(f"{name}: the service ended with {status}: {service.log()[-1000:]}")
        check_export(args, folder, registers, problems, name)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--register", required=True, help="the built register program")
    parser.add_argument("--registrations", required=True, help="the built service")
    parser.add_argument("--config", required=True, help="the sample config.xml")
    parser.add_argument("--inside", action="store_true", help=argparse.SUPPRESS)
    args, _ = parser.parse_known_args()
    if not args.inside:
        return session.rerun_inside_session(__file__, sys.argv[1:])
    bus = session.start_accessibility_bus()
    session.load_atspi()
    problems, dumps = [], []
    try:
        for case in CASES:
            run_case(args, case, problems, dumps)
    finally:
        bus.terminate()
    for d in dumps:
        print(d)
    for p in problems:
        print(f"FAILED: {p}")
    print(f"{len(CASES)} rows, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
