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
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
import atspi_session as session  # noqa: E402
from atspi_session import Failure, Wizard, dump, walk, wait_for  # noqa: E402


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
               a.getState().contains(session.pyatspi.STATE_FOCUSABLE)],
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
    bus = session.start_accessibility_bus()
    session.load_atspi()

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
            wizard.end("register did not end when Cancel was pressed in test mode")

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
            wizard.end("register did not end when Cancel was pressed in test mode")
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
        return session.rerun_inside_session(__file__, sys.argv[1:])
    return run(args)


if __name__ == "__main__":
    sys.exit(main())
