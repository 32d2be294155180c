#!/usr/bin/env python3
"""Checks one end-to-end case: run log, sandbox trace, events, exit."""
import re
import sys
from datetime import datetime
from pathlib import Path

RULE = "=" * 64

STOP_ORDER = ["PmDirWriter", "PmDirCatalog", "PmGateway", "PmCoreMgr", "PmDirLink", "PmNotifySvr", "PmBridgeLink",
              "PmStoreMonSvr", "PmReplDirSvc", "PmSyncSvr", "PmSpeechSvr", "W3svc", "SQLServerAgent",
              "MSSQLServer"]
START_ORDER = ["W3svc", "PmGateway", "PmDirLink", "PmDirCatalog", "PmNotifySvr", "PmDirWriter", "PmAuxSvr",
               "PmSyncSvr", "PmSpeechSvr", "PmReplDirSvc"]

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def read_log(out):
    """Header lines, then (seconds-of-day, text) of each timestamped line."""
    text = (out / "run.log").read_bytes().decode("cp1252")
    lines = text.split("\r\n")
    if lines and lines[-1] == "":
        lines.pop()
    header, steps = lines[:9], []
    for line in lines[9:]:
        m = re.match(r"^(\S+) (\d+):(\d+):(\d+) (AM|PM): (.*)$", line, re.S)
        if not m:
            failures.append(f"log line without a timestamp: {line!r}")
            continue
        h, mi, s = int(m[2]) % 12, int(m[3]), int(m[4])
        if m[5] == "PM":
            h += 12
        steps.append((h * 3600 + mi * 60 + s, m[6]))
    return header, steps


def read_trace(out):
    entries = []
    for line in (out / "trace.txt").read_text("utf-8").splitlines():
        m = re.match(r"^(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}) (.*)$", line)
        if m:
            entries.append((datetime.strptime(m[1], "%Y-%m-%d %H:%M:%S.%f").timestamp(), m[2]))
    return entries


def read_events(out):
    """(number, kind, strings) in the order raised."""
    events = []
    for line in (out / "events.txt").read_text("utf-8", "replace").splitlines():
        m = re.search(r"Call advapi32\.ReportEventW\([0-9a-f]+,([0-9a-f]+),[0-9a-f]+,([0-9a-f]+),", line)
        if m:
            kind = {1: "error", 4: "info"}.get(int(m[1], 16), m[1])
            events.append([int(m[2], 16) & 0xFFFF, kind, []])
            continue
        m = re.search(r':eventlog:ReportEventW L"(.*)"\s*$', line)
        if m and events:
            events[-1][2].append(m[1])
    return [(n, k, tuple(s)) for n, k, s in events]


def texts(steps):
    return [t for _, t in steps]


def time_of(steps, text, start=0):
    for i in range(start, len(steps)):
        if steps[i][1] == text:
            return steps[i][0]
    return None


def trace_texts(trace):
    return [t for _, t in trace]


def trace_time(trace, text):
    for t, x in trace:
        if x == text:
            return t
    return None


def after_setup(trace):
    """Trace entries from the program's run on (the sandbox starts services first)."""
    for i, (_, t) in enumerate(trace):
        if t.startswith("gateway LastStatus") or "stop requested" in t or t.startswith("user "):
            return trace[i:]
    return []


def check_header(header):
    check(len(header) == 9, f"header has {len(header)} lines")
    if len(header) < 9:
        return
    check(header[0] == RULE and header[7] == RULE, "rule lines")
    check(re.match(r"^Running OrvaneScheduledRestart, version \d+\.\d+\.\d+$", header[1]) is not None, header[1])
    check(header[2] == "" and header[5] == "" and header[8] == "", "empty lines in the header")
    check(header[3] == "Local Orvane version=4.0(1.291)", header[3])
    check(header[4].startswith("Running under domain account: ") and "\\" in header[4], header[4])
    check(header[6].startswith("Local time="), header[6])


def stops_in_order(run):
    stopped = [t.split()[1] for t in trace_texts(run) if t.endswith("stop requested")]
    check(stopped == STOP_ORDER, f"services stopped in order {stopped}")


def starts_in_order(run):
    started = [t.split()[1] for t in trace_texts(run) if t.startswith("service ") and t.endswith(" started")]
    check(started == START_ORDER, f"services started in order {started}")


def main():
    case, out = sys.argv[1], Path(sys.argv[2])
    rc = int((out / "exit_code").read_text().strip())
    start, end = map(float, (out / "times").read_text().split())
    header, steps = read_log(out) if (out / "run.log").stat().st_size else ([], [])
    trace = read_trace(out)
    run = after_setup(trace)
    events = read_events(out)
    numbers = [n for n, _, _ in events]
    lines = texts(steps)
    # Task Scheduler's "Last Run Result": 1 cancelled or closed, 2 a step
    # raised error event 5, else 0.
    expected_rc = {"cancel": 1, "close": 1, "no-reboot-bat": 2, "test-run": 2}.get(case, 0)
    # What the program's own sequences log when every command succeeds.
    expected = (out / "expected.txt").read_text().splitlines() if (out / "expected.txt").exists() else []
    check(rc == expected_rc, f"the program ended by itself with code {expected_rc} (got {rc})")

    if case == "restart":
        check_header(header)
        stops_in_order(run)
        starts_in_order(run)
        check("tray PmTrayStatus.exe started" in trace_texts(run), "the tray program was started")
        check("gateway StartTr called" in trace_texts(run), "the gateway was asked to start the product")
        # The 30-second pause after the message-sync stop.
        sync = trace_time(run, "service PmSyncSvr stop requested")
        speech = trace_time(run, "service PmSpeechSvr stop requested")
        check(sync and speech and 29.5 <= speech - sync <= 45, f"pause after PmSyncSvr: {speech and sync and speech - sync}")
        # The countdown: about 20 seconds from start to the first step.
        first = trace_time(run, "gateway LastStatus read (32)")
        check(first is not None and 19 <= first - start <= 30, f"countdown took {first and first - start}")
        check(expected and lines == expected, "the run log holds every step in order:\n" + "\n".join(lines))
        check(texts(run)[:2] == ["gateway LastStatus read (32)", "gateway StopTr called"], "gateway asked to stop")
        check(numbers == [1, 2, 3, 10], f"events {numbers}")

    if case == "reboot" or case == "no-reboot-bat":
        check_header(header)
        stops_in_order(run)
        check(not any(t.endswith(" started") for t in trace_texts(run)), "nothing started again")
        off = time_of(steps, " Orvane is off line.")
        last = time_of(steps, " Server reboot sequence initiated.")
        check(off is not None and last is not None and 19 <= last - off <= 22, "second countdown of 20 s")
        check(numbers[:2] == [1, 2] and 4 in numbers, f"events {numbers}")
    if case == "reboot":
        check(expected and lines == expected, "reboot log:\n" + "\n".join(lines))
        check("reboot.bat ran" in trace_texts(run), "reboot.bat was started")
        check(numbers == [1, 2, 4], f"events {numbers}")
    if case == "no-reboot-bat":
        check("reboot.bat ran" not in trace_texts(run), "no reboot")
        missing = "File not found: C:\\Program Files\\Orvane Restart\\reboot.bat number=53"
        check(lines[-2:] == [" Server reboot sequence initiated.", "(error) in restart timer: " + missing],
              f"end of log {lines[-2:]}")
        check(numbers[-1] == 5, f"event 5 last: {numbers}")

    if case == "bounce":
        check_header(header)
        names = [(n, s) for n, _, s in events if n in (6, 7, 8, 9)]
        check([n for n, _ in names] == [6, 7, 6, 7, 8, 9, 8, 9], f"events {numbers}")
        check([s[0] if s else "" for _, s in names] == ["PmNotifySvr", "PmNotifySvr", "PmSyncSvr", "PmSyncSvr",
                                                      "PmNotifySvr", "PmNotifySvr", "PmSyncSvr", "PmSyncSvr"],
              f"event names {names}")
        check(numbers == [1, 6, 7, 6, 7, 8, 9, 8, 9, 10], f"events {numbers}")
        stopped = [t for t in trace_texts(run) if t.endswith("stop requested")]
        check(stopped == ["service PmNotifySvr stop requested", "service PmSyncSvr stop requested"], f"{stopped}")
        i = lines.index("    Stopping PmSyncSvr service")
        kill = time_of(steps, "    Killing PmNotifySvr service")
        check(kill - steps[i + 1][0] >= 64, f"60 s after the sync stop and 5 s before the kills ({kill - steps[i + 1][0]})")
        started = [t for t in trace_texts(run) if t.startswith("service ") and t.endswith(" started")]
        check(started == ["service PmNotifySvr started", "service PmSyncSvr started"], f"{started}")
        check(lines[-1] == "    net start process completed", lines[-1:])

    # The configuration window's test run, with the bounce option and no
    # service ticked, is a real run of the restart window with action 3.
    if case == "test-run":
        check_header(header)
        check(lines == ["(error) no services included in shutdown request"], f"{lines}")
        check(events == [(1, "info", ()), (5, "error", ("No services included in service restart request",))],
              f"{events}")
        check(not any("stop requested" in t for t in trace_texts(trace)), "no service touched")

    if case == "cancel":
        check_header(header)
        check(lines == ["(error) Restart sequence stopped by user intervention.  Restart termianted."], f"{lines}")
        check(events == [(1, "info", ()), (5, "error", (" User canceled the restart operation.",))], f"{events}")
        check(not any("stop requested" in t for t in trace_texts(trace)), "no service touched")
        check(end - start < 15, f"ended at once ({end - start:.1f} s)")

    if case == "close":
        check_header(header)
        check(lines == [], f"no line after the header: {lines}")
        check(numbers == [1], f"events {numbers}")
        check(not any("stop requested" in t for t in trace_texts(trace)), "no service touched")
        check(end - start < 15, f"ended at once ({end - start:.1f} s)")

    if case == "unwritable-log":
        check((out / "run.log").stat().st_size == 0, "no log could be written")
        stops_in_order(run)
        starts_in_order(run)
        check("gateway StartTr called" in trace_texts(run), "the whole action ran")
        check(numbers[-2:] == [3, 10], f"events {numbers}")

    print(f"{case}: {end - start:.1f} s, {len(lines)} log lines, events {numbers}")
    if failures:
        for f in failures:
            print(f"FAIL: {f}")
        sys.exit(1)
    print(f"{case}: passed")


main()
