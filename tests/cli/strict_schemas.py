#!/usr/bin/env python3
"""The strict schemas the tests validate tq214's JSON against, made from the
schemas that ship (docs/schema/), which a reader of a later release's JSON
uses: those accept members they do not name and, where a string's values may
grow within a format, any string ("examples" lists the values known today).
Closed here: every object schema ("type": "object") takes no member it does
not evaluate, and "examples" of a string becomes its "enum", so that a member
or value renamed by mistake, or one added without its schema, fails.

  strict_schemas.py SCHEMA_DIR OUT_DIR    writes the strict variants to OUT_DIR
"""

import json
import pathlib
import sys


def is_string_schema(node):
    kinds = node.get("type")
    return kinds == "string" or (isinstance(kinds, list) and "string" in kinds)


def closed(node):
    """A copy of the schema `node` with every object and growing string closed."""
    if isinstance(node, list):
        return [closed(item) for item in node]
    if not isinstance(node, dict):
        return node
    # Values, not schemas: left as they are.
    strict = {
        key: (value if key in ("const", "enum", "examples", "required") else closed(value))
        for key, value in node.items()
    }
    if node.get("type") == "object":
        strict["unevaluatedProperties"] = False
    if "examples" in node and "enum" not in node and is_string_schema(node):
        strict["enum"] = list(node["examples"]) + ([None] if "null" in node["type"] else [])
    return strict


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    source, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    for path in sorted(source.glob("*.schema.json")):
        strict = closed(json.loads(path.read_text()))
        (out / path.name).write_text(json.dumps(strict, indent=2) + "\n")


if __name__ == "__main__":
    main()
