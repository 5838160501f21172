#!/usr/bin/env python3
"""Replays an end-to-end script against plgRefertiLirvo.dll and compares what
the C++ Clinora (replay_host) saw with what the Linux `lirvo run` prints for
the same script: host calls, message boxes, pop-up menus, the documents
folder's files, the charts, the ribbon and any error.

  replay_e2e.py WINE REPLAY_HOST DLL LIRVO SCRIPT.lirvo

Both runs start from a fresh `lirvo init` installation made the way
run_e2e.sh makes it ("#! init" and "#! file" lines). The Linux run goes
first, with a "dump grid" before every line that clicks the main window, so
that the report and patient rows the script names by position or patient
become the rows of the list the Windows window shows. The DLL runs on the
system clock: its run's date stands for the Linux run's fixed one, and the
time stamps of renamed files are compared without their digits. With
LIRVO_REPLAY_KEEP=1 the work folder (both installations, both transcripts)
is left in the current folder for a look.
"""
import datetime
import difflib
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

LINUX_CLOCK = "01/03/2026 09:00:00"
COMPARED = {"host", "msgbox", "popup", "files", "chart", "ribbon", "error", "runtime_error",
            "patient", "modal", "modal_action", "modal_close"}
# What the Windows side can see of a window of the plug-in: its name (told
# by its buttons) and caption, not the content `lirvo run` describes.
SHOWN = {"modal": ("type", "form", "caption")}
CLICKS = {"select", "link"}


def split_line(line):
    """The words of a script line, as `lirvo run` splits them."""
    words, i, n = [], 0, len(line)
    while i < n and line[i] in " \t\r":
        i += 1
    if i < n and line[i] == "#":
        return []
    while i < n:
        if line[i] in " \t\r":
            i += 1
            continue
        word = ""
        while i < n and line[i] not in " \t\r":
            if line[i] != '"':
                word += line[i]
                i += 1
                continue
            i += 1
            while True:
                if i >= n:
                    raise ValueError("unterminated quote: " + line)
                if line[i] == '"':
                    if i + 1 < n and line[i + 1] == '"':
                        word += '"'
                        i += 2
                        continue
                    i += 1
                    break
                word += line[i]
                i += 1
        words.append(word)
    return words


def make_installation(lirvo, folder, script_lines):
    init_args = []
    for line in script_lines:
        if line.startswith("#! init "):
            init_args = line[len("#! init "):].split()
            break
    subprocess.run([lirvo, "init", folder, *init_args], check=True, stdout=subprocess.DEVNULL)
    for line in script_lines:
        if not line.startswith("#! file "):
            continue
        rest = line[len("#! file "):]
        relative, _, text = rest.partition(" ")
        path = os.path.join(folder, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text + "\n" if " " in rest else "")


def flatten(rows, depth=0):
    for row in rows:
        yield depth, row
        if row.get("expanded", True):
            yield from flatten(row.get("children", []), depth + 1)


def list_row(grid, words):
    """The list row a click line names: a report by its position, a patient
    by "patient ID"."""
    if words[0] == "patient":
        depth, item, value = 0, 0, words[1]
    else:
        depth, item, value = 1, 2, words[0]
    for index, (d, row) in enumerate(flatten(grid["rows"])):
        if d == depth and len(row["items"]) > item and row["items"][item] == value:
            return index
    raise ValueError("no row for " + " ".join(words))


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def normalize(value, install, today=None):
    if isinstance(value, dict):
        return {k: normalize(v, install, today) for k, v in value.items()}
    if isinstance(value, list):
        return [normalize(v, install, today) for v in value]
    if not isinstance(value, str):
        return value
    for form in (windows_path(install), install):
        value = value.replace(form, "$INSTALL")
    value = re.sub(r"\$INSTALL[^\s\"]*", lambda m: m.group(0).replace("\\", "/"), value)
    value = re.sub(r"_\d{14}(_\d+)?_", "_STAMP_", value)
    if today is not None:
        value = value.replace(today, LINUX_CLOCK.split()[0])
    return value


def compared(lines, install, today=None):
    out = []
    for line in lines:
        item = json.loads(line)
        if item.get("type") not in COMPARED:
            continue
        if item["type"] == "msgbox" and today is not None and item["title"] == "Print":
            continue  # Wine's printer dialog telling that no printer is installed
        if item["type"] in SHOWN:
            item = {k: item[k] for k in SHOWN[item["type"]] if k in item}
        item = normalize(item, install, today)
        if item["type"] == "files":
            item["names"] = sorted(item["names"])
        out.append(json.dumps(item, ensure_ascii=False, sort_keys=True))
    return out


def main():
    wine, host, dll, lirvo, script = sys.argv[1:6]
    if not os.access(lirvo, os.X_OK):
        print(f"the Linux lirvo is not built ({lirvo}): skipped")
        return 77
    with open(script, encoding="utf-8") as f:
        script_lines = f.read().splitlines()
    # In the build folder: the 32-bit Wine runs in a root that sees the
    # repository, not this machine's /tmp.
    work = tempfile.mkdtemp(prefix="replay.", dir=os.getcwd())
    try:
        return replay(wine, host, dll, lirvo, script_lines, work)
    finally:
        if os.environ.get("LIRVO_REPLAY_KEEP") != "1":
            shutil.rmtree(work, ignore_errors=True)


def replay(wine, host, dll, lirvo, script_lines, work):
    linux, win = os.path.join(work, "linux"), os.path.join(work, "win")
    make_installation(lirvo, linux, script_lines)
    make_installation(lirvo, win, script_lines)

    # The Linux run, a grid dump before each click in the main window. Wine
    # has no printer, so every print of the Linux run fails too.
    linux_script, windows_lines, clicks = ["printfail"] * 4, [], []
    for line in script_lines:
        words = split_line(line)
        if words[:1] == ["printer"]:
            line = "printer cancel"  # no printer to choose in the printer dialog
        if words and words[0] in CLICKS:
            linux_script.append("dump grid")
            clicks.append(len([w for w in linux_script if w == "dump grid"]) - 1)
        linux_script.append(line)
        windows_lines.append(words)
    with open(os.path.join(work, "linux.lirvo"), "w", encoding="utf-8") as f:
        f.write("\n".join(linux_script) + "\n")
    run = subprocess.run([lirvo, "run", "--install", linux, "--clock", LINUX_CLOCK,
                          os.path.join(work, "linux.lirvo")], capture_output=True, text=True)
    linux_out = run.stdout.splitlines()
    grids = [json.loads(l) for l in linux_out if json.loads(l).get("type") == "grid"]

    # The script for the DLL: JSON words per line, clicks as list rows.
    replay_lines, click = [], 0
    for words in windows_lines:
        if (not words or words[:2] in (["dump", "grid"], ["dump", "config"])
                or words[0] in ("printfail", "printer")):
            continue  # what the DLL cannot show, and prints that fail under Wine anyway
        if words[0] == "choose":
            words = ["modal", "frmGetBundle",
                     "cancel" if words[1] == "cancel" else "choose " + words[1]]
        elif words[0] in CLICKS:
            grid = grids[clicks[click]]
            click += 1
            if words[0] == "select" and words[1] != "patient":
                words = ["select-rows"] + [str(list_row(grid, [w])) for w in words[1:]]
            else:
                words = ["select-rows" if words[0] == "select" else "link-row",
                         str(list_row(grid, words[1:]))]
        replay_lines.append(json.dumps(words, ensure_ascii=False))
    with open(os.path.join(work, "replay.json"), "w", encoding="utf-8") as f:
        f.write("\n".join(replay_lines) + "\n")

    # The Windows installation: the documents folder as Windows names it,
    # the archive's patients, the DLL registered beside its files.
    config = os.path.join(win, "plugin", "Config.xml")
    with open(config, encoding="utf-8") as f:
        text = f.read()
    text = re.sub(r'(<parameter name="documentsfolder">)[^<]*',
                  lambda m: m.group(1) + windows_path(win + "/documents/"), text)
    with open(config, "w", encoding="utf-8") as f:
        f.write(text)
    listed = subprocess.run([lirvo, "patients", "list", "--install", win, "--json"],
                            capture_output=True, text=True, check=True)
    with open(os.path.join(work, "patients.txt"), "w", encoding="utf-8") as f:
        for p in json.loads(listed.stdout)["patients"]:
            f.write("\t".join(str(p[k]) for k in ("id", "cognome", "nome", "data_nascita",
                                                  "codice_fiscale", "tessera")) + "\n")
    installed_dll = os.path.join(win, "plugin", "plgRefertiLirvo.dll")
    shutil.copy(dll, installed_dll)
    subprocess.run([wine, "regsvr32", "/s", windows_path(installed_dll)], check=True)
    try:
        today = datetime.date.today().strftime("%d/%m/%Y")
        status = subprocess.run(
            [wine, host, windows_path(os.path.join(work, "replay.json")),
             windows_path(os.path.join(work, "patients.txt")), windows_path(config),
             windows_path(win + "/documents/"), windows_path(os.path.join(work, "win.jsonl"))],
            timeout=120).returncode
    finally:
        subprocess.run([wine, "regsvr32", "/u", "/s", windows_path(installed_dll)])
    with open(os.path.join(work, "win.jsonl"), encoding="utf-8") as f:
        windows_out = f.read().splitlines()

    want = compared(linux_out, linux)
    got = compared(windows_out, win, today)
    diff = list(difflib.unified_diff(want, got, "lirvo run", "plgRefertiLirvo.dll", lineterm=""))
    print("\n".join(windows_out))
    if status != 0:
        print(f"replay_host exited {status}")
    if diff:
        print("\n".join(diff))
    print(f"{len(want)} objects from lirvo run, {len(got)} from the DLL")
    return 0 if status == 0 and not diff and want else 1


if __name__ == "__main__":
    sys.exit(main())
