#!/usr/bin/env python3
"""Every JSON document and update-history line that the tests made tq214
write, validated against the strict variant (strict_schemas.py) of the schema
of its kind in docs/schema/ (JSON Schema draft 2020-12, python3-jsonschema).

The tests leave what tq214 printed with --json, and the lines it appended to
a history, in the folder TQ214_JSON_CAPTURE_DIR names: the in-process tests
through tests/support/CliRun.h, the scripts' runs of the program because the
tests' build of tq214 copies them there itself (src/cli/capture/). Each
NAME.stdout.jsonl holds one run's standard output, a document per line;
NAME.history.jsonl the history lines one run appended. A document's kind is
its "command" ("update --all"); one without is an error before any command
ran, one with "event" an event. For the kinds no test writes, this script
runs tq214 --simulate itself. Every kind must have documents, so that a
capture that stopped fails here too.

Then what a reader of a later release meets: each object of the documents
(one document of each shape) with a member added is taken by the shipped
schema and refused by the strict one; and schema_cases.py's documents,
broken or from a later release, get the verdicts it gives.

  json-schemas.py TQ214 SCHEMA_DIR CAPTURE_DIR
"""

import copy
import json
import os
import pathlib
import subprocess
import sys
import tempfile

from jsonschema import Draft202012Validator

sys.dont_write_bytecode = True  # the modules beside it leave no __pycache__ in the sources
import schema_cases  # noqa: E402
from strict_schemas import closed  # noqa: E402

# Each kind of document, and its schema.
KINDS = {
    "list": "list.schema.json",
    "info": "info.schema.json",
    "update": "update.schema.json",
    "update --all": "update-all.schema.json",
    "watch": "watch.schema.json",
    "history": "history.schema.json",
    "error": "error.schema.json",
    "event": "events.schema.json",
    "history line": "history-line.schema.json",
}
# What every schema refers to; no kind of its own.
SHARED = "common.schema.json"
# The kinds no test writes: this script's own runs of tq214 give them.
OWN_KINDS = {"history"}
SHOWN_ERRORS = 3


def load_schemas(schema_dir):
    schemas = {}
    for path in sorted(schema_dir.glob("*.schema.json")):
        schema = json.loads(path.read_text())
        Draft202012Validator.check_schema(schema)
        schemas[path.name] = schema
    return schemas


def make_validators(schemas):
    try:  # jsonschema 4.18 and later
        from referencing import Registry, Resource

        registry = Registry().with_resources(
            (schema["$id"], Resource.from_contents(schema)) for schema in schemas.values()
        )

        def make(schema):
            return Draft202012Validator(schema, registry=registry)

    except ImportError:  # Debian 12's 4.10
        from jsonschema import RefResolver

        store = {schema["$id"]: schema for schema in schemas.values()}

        def make(schema):
            resolver = RefResolver.from_schema(schema, store=store)
            return Draft202012Validator(schema, resolver=resolver)

    return {kind: make(schemas[name]) for kind, name in KINDS.items() if name in schemas}


def kind_of(document):
    if not isinstance(document, dict):
        return "not an object"
    if "event" in document:
        return "event"
    return document.get("command", "error")


# The files the tests' build of the program keeps (ProgramCapture.h); the
# in-process tests' are named after the test.
PROGRAM_FILES = "tq214-"


def captured(capture_dir):
    """(kind, where, document) for everything the tests left."""
    for path in sorted(capture_dir.glob("*.jsonl")) if capture_dir.is_dir() else []:
        history = path.name.endswith(".history.jsonl")
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            if not line.strip():
                continue
            where = f"{path.name}:{number}"
            try:
                document = json.loads(line)
            except ValueError as error:
                yield "not JSON", where, f"{error}: {line[:200]}"
                continue
            yield ("history line" if history else kind_of(document)), where, document


def own_runs(tq214):
    """The kinds no test writes, from tq214 --simulate: a history of an update
    confirmed after reconnecting, one up to date and one refused, read back."""
    with tempfile.TemporaryDirectory() as work:
        history = os.path.join(work, "history.jsonl")
        env = dict(os.environ, TQ214_HISTORY=history)
        env.pop("TQ214_JSON_CAPTURE_DIR", None)
        runs = [
            ["--simulate", "--json", "update", "--yes", "--wait=10"],
            ["--simulate=current", "--json", "update", "--yes"],
            ["--simulate=newer", "--json", "update", "--yes"],
            ["--simulate", "--json", "history"],
        ]
        for args in runs:
            run = subprocess.run(
                [tq214] + args, env=env, capture_output=True, text=True, timeout=120
            )
            where = "tq214 " + " ".join(args)
            for line in run.stdout.splitlines():
                try:
                    document = json.loads(line)
                except ValueError as error:
                    yield "not JSON", where, f"{error}: {line[:200]}"
                    continue
                yield kind_of(document), where, document
        with open(history) as lines:
            for number, line in enumerate(lines, 1):
                where = f"the history those runs wrote, line {number}"
                yield "history line", where, json.loads(line)


def objects_in(document, at=()):
    """The path of each object in `document`, itself first."""
    if isinstance(document, dict):
        yield at
        for key, value in document.items():
            yield from objects_in(value, at + (key,))
    elif isinstance(document, list):
        for index, value in enumerate(document):
            yield from objects_in(value, at + (index,))


def shape(document):
    """What tells documents apart here: the members at each place, arrays as one."""
    if isinstance(document, dict):
        return tuple(sorted((key, shape(value)) for key, value in document.items()))
    if isinstance(document, list):
        return ("[]",) + tuple(sorted(set(shape(value) for value in document)))
    return type(document).__name__


def with_later_member(document, at):
    later = copy.deepcopy(document)
    target = later
    for step in at:
        target = target[step]
    target["memberOfALaterRelease"] = {"added": True}
    return later


def later_members(kind, document, consumer, strict):
    """Failures: an object of `document` with a member added that the shipped
    schema refuses, or that the strict one takes."""
    for at in objects_in(document):
        later = with_later_member(document, at)
        where = "/".join(map(str, at)) or "(top)"
        if not consumer.is_valid(later):
            error = next(consumer.iter_errors(later)).message
            yield f"{kind}: a member added at {where} is refused by the shipped schema: {error}"
        if strict.is_valid(later):
            yield f"{kind}: a member added at {where} is taken by the strict schema"


def table_cases(documents, shipped, strict):
    """Failures: each case of schema_cases.CASES applied to the first captured
    document of its kind it picks, against the verdicts it gives."""
    for case in schema_cases.CASES:
        base = next((d for k, d in documents if k == case.kind and case.pick(d)), None)
        if base is None:
            yield f"case {case.name!r}: no captured {case.kind} document to make it from"
            continue
        document = copy.deepcopy(base)
        case.change(document)
        expected = schema_cases.VERDICTS[case.verdict]
        for name, validators, takes in zip(("shipped", "strict"), (shipped, strict), expected):
            if validators[case.kind].is_valid(document) != takes:
                wrong = "refuses" if takes else "takes"
                yield f"case {case.name!r}: the {name} schema {wrong} {json.dumps(document)[:300]}"


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    tq214 = sys.argv[1]
    schema_dir, capture_dir = pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3])
    failures = []
    schemas = load_schemas(schema_dir)
    consumers = make_validators(schemas)
    validators = make_validators({name: closed(schema) for name, schema in schemas.items()})
    for kind, name in KINDS.items():
        if name not in schemas:
            failures.append(f"no schema {name} for {kind} in {schema_dir}")
    for name in sorted(set(schemas) - set(KINDS.values()) - {SHARED}):
        failures.append(f"{name} is the schema of no kind this check knows")

    seen = {}  # (source, kind): documents, from the tests ("tests") and the own runs ("own")
    valid = []  # (kind, document) of each shape that passed
    shapes = set()
    for source, documents in (("tests", captured(capture_dir)), ("own", own_runs(tq214))):
        for kind, where, document in documents:
            seen[(source, kind)] = seen.get((source, kind), 0) + 1
            validator = validators.get(kind)
            if validator is None:
                shown = json.dumps(document)[:200]
                failures.append(f"{where}: no schema for {kind!r}: {shown}")
                continue
            errors = sorted(validator.iter_errors(document), key=lambda e: list(map(str, e.path)))
            for error in errors[:SHOWN_ERRORS]:
                at = "/".join(str(step) for step in error.absolute_path) or "(top)"
                failures.append(f"{where}: {kind} at {at}: {error.message}")
            if not errors and (kind, shape(document)) not in shapes:
                shapes.add((kind, shape(document)))
                valid.append((kind, document))

    for kind, document in valid:
        failures += later_members(kind, document, consumers[kind], validators[kind])
    failures += table_cases(valid, consumers, validators)
    print(f"json-schemas: {len(valid)} shapes of document with members added,"
          f" {len(schema_cases.CASES)} cases of schema_cases.py")

    from_program = sum(1 for path in capture_dir.glob(PROGRAM_FILES + "*.jsonl"))
    print(f"json-schemas: {from_program} files of the scripts' runs of the program")
    if from_program == 0:
        failures.append(f"no {PROGRAM_FILES}*.jsonl in {capture_dir}: the program kept nothing")
    for kind in KINDS:
        own = kind in OWN_KINDS
        count = seen.get(("own" if own else "tests", kind), 0)
        print(f"json-schemas: {kind}: {count} from {'tq214 run here' if own else 'the tests'}")
        if count == 0:
            whence = "from this script's own runs" if own else f"captured in {capture_dir}"
            why = "" if own else ": the tests that write it did not run first, or left none"
            failures.append(f"nothing of kind {kind!r} {whence}{why}")
    for failure in failures:
        print(f"json-schemas: FAIL {failure}", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
