#!/usr/bin/python3
"""The built wizard registering through the built registrations service.

Starts `registrations serve` on a free loopback port with a database and the
sample configuration of its own, and the built `register` under an X server of
its own, pointed at it. Fills every page of a language section as a player
would (through the accessibility bus: text set in the fields, boxes ticked,
options chosen, a list's entries selected, dates), presses OK on the method
page, then stops the service and checks what `registrations export --config`
gives: the header named by the questions' texts and one row with every value
as it was entered, or no row when the registration was not taken.

Rows (CASES): plain HTTP, in English and in French (whose answers land in the
same columns, named by the first section); HTTPS with a certificate of a test
authority named by SSL_CERT_FILE; the same service without it, where the
wizard shows its error page and says on standard error that the certificate
was not trusted; a service whose configuration allows less than the
wizard's, which refuses the registration.
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

# What the player enters, page by page. Values carry what the wire format has
# to escape twice (".?/:=&%"), the list and id separators, quotes and commas
# for the CSV, letters inside and outside Windows-1252, and leading
# characters a spreadsheet would evaluate.
BIRTH = ("17", "5", "1990")  # day, month, year, as the sample's lists stand
PERSONAL = ("Zoé", "O'Neil-Ünal", "12 Rue de la Paix, Apt. 3", "c/o \"Le Café\" & Co.", "Paris",
            "75002", "+33 1 23 45 67 89", "zoe.oneil@example.org", "zo=e&1?x")
FAVOURITE = "Chess | Go ` 2.0 ✓ 100%"
BOUGHT = ("3", "11", "2026")
# Longer than the box's 200 characters: the box keeps the first 200, and the
# service, which knows that limit, takes them.
TELL = "=SUM(A1) \"must play\"; 10/10, é%2E " + "0123456789" * 20

# Each language section of the sample as the player meets it: the names its
# controls are found by (personal fields in the order of PERSONAL) and the
# captions the player picks, which are what the export shows. French puts a
# no-break space before "?" and "!".
SECTIONS = {
    "english": {
        "buttons": {"next": "Next", "submit": "Submit", "ok": "OK", "finish": "Finish",
                    "exit": "Exit"},
        "parts": ("Day", "Month", "Year"),
        "birth": "Your date of birth (day / month / year):",
        "personal": ("First name *", "Last name *", "Address *", "Address (cont.)", "City *",
                     "Postal code *", "Telephone", "E-mail *", "Player name"),
        "heard": ("Where did you hear about Ember Reach?", "A shop"),
        "often": "Rarely",
        "favourite": "Your favourite game of all time",
        "kinds": ("Adventure", "Puzzle"),
        "devices": ("Laptop", "Console"),
        "bought": "When did you buy Ember Reach? (day / month / year):",
        "news": "No, thank you",
        "tell": "Anything you would like to tell us?",
        "online": "Register online now",
        "thanks": "Thank you for registering Ember Reach!",
        "unreached": "We could not reach the registration server.",
        "language": "English",
    },
    "french": {
        "buttons": {"next": "Suivant", "submit": "Envoyer", "ok": "OK", "finish": "Terminer",
                    "exit": "Quitter"},
        "parts": ("Jour", "Mois", "Année"),
        "birth": "Votre date de naissance (jour / mois / année):",
        "personal": ("Prénom *", "Nom *", "Adresse *", "Adresse (suite)", "Ville *",
                     "Code postal *", "Téléphone", "E-mail *", "Nom de joueur"),
        "heard": ("Où avez-vous entendu parler d'Ember Reach\u00a0?", "Dans un magasin"),
        "often": "Rarement",
        "favourite": "Votre jeu préféré de tous les temps",
        "kinds": ("Aventure", "Réflexion"),
        "devices": ("Ordinateur portable", "Console"),
        "bought": "Quand avez-vous acheté Ember Reach\u00a0? (jour / mois / année):",
        "news": "Non, merci",
        "tell": "Avez-vous quelque chose à nous dire\u00a0?",
        "online": "M'enregistrer en ligne maintenant",
        "thanks": "Merci d'avoir enregistré Ember Reach\u00a0!",
        "unreached": "Impossible de joindre le serveur d'enregistrement.",
        "language": "French",
    },
}


def expected_row(section):
    """Every column of the sample's header (named by its first section,
    whichever section the player used), and the value the row must hold
    there (None: checked apart)."""
    words = SECTIONS[section]
    return [
        ("FirstName", PERSONAL[0]),
        ("LastName", PERSONAL[1]),
        ("dob", "1990/5/17"),
        ("Address1", PERSONAL[2]),
        ("Address2", PERSONAL[3]),
        ("City", PERSONAL[4]),
        ("State", ""),
        ("Zip", PERSONAL[5]),
        ("Country", "France"),
        ("Phone", PERSONAL[6]),
        ("Email", PERSONAL[7]),
        ("Login", PERSONAL[8]),
        ("Product", "Ember Reach"),
        ("Where did you hear about Ember Reach?", words["heard"][1]),
        ("How often do you play games?", words["often"]),
        ("Your favourite game of all time", FAVOURITE),
        ("Which kinds of games do you enjoy? (tick at least one)", "; ".join(words["kinds"])),
        ("Which devices do you play on? (click to select, click again to clear)",
         "; ".join(words["devices"])),
        ("When did you buy Ember Reach? (day / month / year)", "2026/11/3"),
        ("Would you like to receive news about Velmora games?", words["news"]),
        # A formula-looking answer is exported with a leading apostrophe; the
        # player's "%2E" arrives as "." (the wire format does not escape "%").
        ("Anything you would like to tell us?", "'" + TELL[:200].replace("%2E", ".")),
        ("received", None),
        ("game", "Ember Reach"),
        ("language", words["language"]),
        ("number", "1"),
    ]


# section: the language section the player uses; tls: the service serves
# HTTPS with a certificate of a test authority; trusted: the wizard is told
# that authority (SSL_CERT_FILE); service_maxlength: the service reads the
# configuration with every maxlength="200" lowered to this (a publisher who
# shipped a smaller limit while older wizards are out); outcome: the page the
# wizard ends on; said: what its standard error must contain.
CASES = [
    {"name": "plainHttp", "section": "english", "outcome": "thanks"},
    {"name": "frenchSectionIntoTheSameColumns", "section": "french", "outcome": "thanks"},
    {"name": "tlsWithTheAuthorityNamed", "section": "english", "tls": True, "trusted": True,
     "outcome": "thanks"},
    {"name": "tlsWithAnUnknownAuthority", "section": "english", "tls": True,
     "outcome": "unreached", "said": "certificate"},
    # The wizard shows an "error`|`" reply as it shows no reply at all.
    {"name": "serviceWithASmallerLimitRefuses", "section": "english", "service_maxlength": 100,
     "outcome": "unreached", "said": "HTTP status 400"},
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


def fill_date(wizard, main, caption, words, values):
    # The three lists of a date are named by the question and the part.
    for part, value in zip(words["parts"], values):
        wizard.set_text(main, f"{caption} {part}", value)


def register(wizard, main, words):
    """From the region screen to the method page's OK."""
    buttons = words["buttons"]
    wizard.press(main, buttons["next"])
    fill_date(wizard, main, words["birth"], words, BIRTH)
    wizard.press(main, buttons["next"])
    for name, value in zip(words["personal"], PERSONAL):
        wizard.set_text(main, name, value)
    wizard.press(main, buttons["next"])

    wizard.set_text(main, *words["heard"])
    wizard.act(main, "radio button", words["often"], "Toggle")
    wizard.set_text(main, words["favourite"], FAVOURITE)
    wizard.press(main, buttons["next"])

    for name in words["kinds"] + words["devices"]:
        wizard.act(main, "check box", name, "Toggle")
    wizard.press(main, buttons["next"])

    fill_date(wizard, main, words["bought"], words, BOUGHT)
    wizard.act(main, "radio button", words["news"], "Toggle")
    wizard.set_text(main, words["tell"], TELL)
    wizard.press(main, buttons["submit"])

    wizard.act(main, "radio button", words["online"], "Toggle")
    wizard.press(main, buttons["ok"])


def label_shown(wizard, main, start):
    return any(a.getRoleName() == "label" and a.name.startswith(start)
               for _, a in session.walk(main))


def check_export(args, folder, section, registered, problems, name):
    exported = run([args.registrations, "export", "--db", os.path.join(folder, "db"),
                    "--config", os.path.join(folder, "service.xml"), "--format", "csv"])
    rows = list(csv.reader(io.StringIO(exported.decode("utf-8"), newline="")))
    expected = expected_row(section)
    header = [column for column, _ in expected]
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
    for (column, wanted), value in zip(expected, rows[1]):
        if wanted is not None and value != wanted:
            problems.append(f"{name}: column {column!r} is {value!r}, expected {wanted!r}")
    received = rows[1][header.index("received")]
    if not re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d(\.\d+)?Z", received):
        problems.append(f"{name}: received {received!r} is not a UTC ISO 8601 time")


def run_case(args, case, problems, dumps):
    name, section, tls = case["name"], case["section"], case.get("tls", False)
    registers = case["outcome"] == "thanks"
    words = SECTIONS[section]
    with tempfile.TemporaryDirectory() as folder:
        # The game folder: the program, its network module and the configuration.
        for program in ("register", "register-services.so"):
            shutil.copy(os.path.join(os.path.dirname(args.register), program), folder)
        shutil.copy(args.config, os.path.join(folder, "config.xml"))
        with open(args.config, encoding="utf-8") as f:
            config = f.read()
        if case.get("service_maxlength"):
            lowered = config.replace('maxlength="200"', f'maxlength="{case["service_maxlength"]}"')
            if lowered == config:
                raise Failure(f'{name}: the sample has no maxlength="200" to lower')
            config = lowered
        with open(os.path.join(folder, "service.xml"), "w", encoding="utf-8") as f:
            f.write(config)
        arguments = ["--db", os.path.join(folder, "db"), "--config",
                     os.path.join(folder, "service.xml")]
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
        if case.get("trusted"):
            env["SSL_CERT_FILE"] = os.path.join(folder, "ca.pem")
        url = f"{'https' if tls else 'http'}://127.0.0.1:{service.port}/register.asp"
        wizard = None
        try:
            wizard = Wizard(folder, f"/url={url}", "/default=1", f"/language={section}",
                            "/country=France", env=env)
            main = wizard.window("filler")
            try:
                register(wizard, main, words)
                outcome = case["outcome"]
                wait_for(f"the {outcome} page",
                         lambda: label_shown(wizard, main, words[outcome]))
                wizard.press(main, words["buttons"]["finish" if registers else "exit"])
            except Failure:
                dumps.append(dump(f"{name}: the screen when it failed", main))
                raise
            if case.get("said") and case["said"] not in wizard.log_text():
                problems.append(f"{name}: the wizard did not say {case['said']!r}: "
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
        check_export(args, folder, section, registers, problems, name)


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
