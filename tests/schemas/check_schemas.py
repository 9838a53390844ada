#!/usr/bin/python3
"""The protocol's JSON Schemas (schemas/*.schema.json, draft 2020-12) checked with Debian's python3-jsonschema.

  check_schemas.py ROOT            the schemas themselves, the example corpora in tests/schemas/corpus and
                                   every JSON line shown in docs/protocol.md
  check_schemas.py ROOT --events   the event lines on standard input (what a real run wrote): each must
                                   satisfy the event schema and be in the event wire form
  check_schemas.py ROOT --lines    any protocol lines on standard input: each against the schema its keys
                                   name (event, form message, menu exercise, else tray state)

Prints every fault and exits 1 when there is one.
"""
import json
import sys
from pathlib import Path

from jsonschema import Draft202012Validator

ROOT = Path(sys.argv[1])
faults = []

# Keywords the validator acts on, and the annotations it may skip. Any other key in a schema is a typo that
# would silently accept everything.
KNOWN = set(Draft202012Validator.VALIDATORS) | {
    "$schema", "$id", "$defs", "$comment", "title", "description", "examples", "default", "deprecated"}
SCHEMA_MAPS = {"properties", "patternProperties", "$defs", "dependentSchemas"}
SCHEMA_LISTS = {"oneOf", "anyOf", "allOf", "prefixItems"}


def check_keywords(schema, where):
    for key, value in schema.items():
        if key not in KNOWN:
            faults.append(f"{where}: unknown keyword {key}")
        elif key in SCHEMA_MAPS:
            for name, subschema in value.items():
                check_keywords(subschema, f"{where}/{key}/{name}")
        elif key in SCHEMA_LISTS:
            for index, subschema in enumerate(value):
                check_keywords(subschema, f"{where}/{key}/{index}")
        elif isinstance(value, dict) and key not in {"const", "enum", "default", "examples"}:
            check_keywords(value, f"{where}/{key}")


def load_schema(name):
    path = ROOT / "schemas" / f"{name}.schema.json"
    document = json.loads(path.read_text(encoding="utf-8"))
    Draft202012Validator.check_schema(document)
    check_keywords(document, path.name)
    return document


SCHEMAS = {name: load_schema(name) for name in ("tray-state", "form-message", "event")}
VALIDATORS = {name: Draft202012Validator(document) for name, document in SCHEMAS.items()}
# An {"exerciseMenu": id} line in tray mode has its own definition.
VALIDATORS["exercise-menu"] = Draft202012Validator(
    {"$defs": SCHEMAS["tray-state"]["$defs"], "$ref": "#/$defs/exerciseMenu"})


def refuse_constant(name):
    raise ValueError(f"{name} is not JSON")


def parse(line):
    try:
        return json.loads(line, parse_constant=refuse_constant)
    except ValueError as error:
        faults.append(f"not JSON ({error}): {line[:200]}")
        return None


def wire_form(value):
    """Compact, keys sorted, raw UTF-8 and every "/" (which only strings hold) written as "\\/"."""
    return json.dumps(value, separators=(",", ":"), sort_keys=True, ensure_ascii=False).replace("/", "\\/")


def closest(error):
    """The errors of the oneOf or anyOf branch that `value` misses by the fewest, at their roots."""
    if not error.context:
        return [error]
    branches = {}
    for suberror in error.context:
        branches.setdefault(suberror.relative_schema_path[0], []).append(suberror)
    return [leaf for suberror in min(branches.values(), key=len) for leaf in closest(suberror)]


def errors(schema, value):
    return [f"/{'/'.join(map(str, leaf.absolute_path))}: {leaf.message}"[:300]
            for error in VALIDATORS[schema].iter_errors(value) for leaf in closest(error)]


def expect(schema, line, valid, origin):
    value = parse(line)
    if value is None:
        return None
    found = errors(schema, value)
    if valid and found:
        faults.append(f"{origin}: refused by {schema}: {line[:200]}\n    " + "\n    ".join(found))
    if not valid and not found:
        faults.append(f"{origin}: accepted by {schema}: {line[:200]}")
    if valid and schema == "event" and wire_form(value) != line:
        faults.append(f"{origin}: not in the event wire form: {line[:200]}\n    expected {wire_form(value)}")
    return value


def schema_of(value):
    if "event" in value:
        return "event"
    if "type" in value:
        return "form-message"
    return "exercise-menu" if "exerciseMenu" in value else "tray-state"


def check_events():
    lines = sys.stdin.buffer.read().decode("utf-8").splitlines()
    if not lines:
        faults.append("no event lines to check")
    for line in lines:
        expect("event", line, True, "event written")
    return f"{len(lines)} event lines"


def check_lines():
    lines = sys.stdin.buffer.read().decode("utf-8").splitlines()
    if not lines:
        faults.append("no lines to check")
    for line in lines:
        value = parse(line)
        if value is not None:
            expect(schema_of(value) if isinstance(value, dict) else "tray-state", line, True, "line")
    return f"{len(lines)} lines"


def check_corpora_and_document():
    events = SCHEMAS["event"]
    kinds = [events["$defs"][branch["$ref"].split("/")[-1]]["properties"]["event"]["const"]
             for branch in events["oneOf"]]
    if len(kinds) != 13:
        faults.append(f"event schema: {len(kinds)} kinds, 13 expected")

    # "beyond" corpora hold lines the process refuses for rules a schema cannot express (byte lengths,
    # canonical uniqueness, the total row count): the schemas accept them.
    seen = set()
    for schema in ("tray-state", "form-message", "event"):
        for kind, valid in (("valid", True), ("beyond", True), ("invalid", False)):
            path = ROOT / "tests" / "schemas" / "corpus" / f"{schema}.{kind}.jsonl"
            if schema == "event" and kind == "beyond":
                continue
            lines = [line for line in path.read_text(encoding="utf-8").splitlines() if line]
            if not lines:
                faults.append(f"{path.name} is empty")
            for line in lines:
                value = expect(schema, line, valid, path.name)
                if schema == "event" and valid and isinstance(value, dict):
                    seen.add(value.get("event"))
    faults.extend(f"event.valid.jsonl: no example of {kind}" for kind in kinds if kind not in seen)

    # The checks the agreement test relies on catch what they must.
    for line in ('{"event":"menu","action":"pause"}', '{"accessKey":"k","event":"submit","projectRoot":"/p"}',
                 '{"event": "ready"}', '{"action":"\\u6682","event":"menu"}'):
        if wire_form(json.loads(line)) == line:
            faults.append(f"wire form check passes {line}")
    expect("event", '{"action":"暂","event":"menu"}', True, "wire form with raw UTF-8")
    expect("exercise-menu", '{"exerciseMenu":"pause"}', True, "exercise line")
    expect("exercise-menu", '{"exerciseMenu":7}', False, "exercise line")

    # Every line inside a ```json fence of docs/protocol.md is accepted, and every event kind is shown.
    examples = []
    fenced = False
    for line in (ROOT / "docs" / "protocol.md").read_text(encoding="utf-8").splitlines():
        if line.startswith("```"):
            fenced = not fenced and line == "```json"
        elif fenced and line:
            examples.append(line)
    if len(examples) < 25:
        faults.append(f"docs/protocol.md: {len(examples)} JSON examples, at least 25 expected")
    shown = set()
    for line in examples:
        value = parse(line)
        if not isinstance(value, dict):
            faults.append(f"docs/protocol.md: not a JSON object: {line[:200]}")
            continue
        expect(schema_of(value), line, True, "docs/protocol.md")
        shown.add(value.get("event"))
    faults.extend(f"docs/protocol.md: no example of {kind}" for kind in kinds if kind not in shown)
    return f"corpora and {len(examples)} document examples"


modes = {"--events": check_events, "--lines": check_lines}
checked = modes[sys.argv[2]]() if len(sys.argv) > 2 else check_corpora_and_document()
for fault in faults:
    print(fault, file=sys.stderr)
print(f"schema check: {checked}, {len(faults)} faults")
sys.exit(1 if faults else 0)
