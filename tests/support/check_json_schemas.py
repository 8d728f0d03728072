#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks zelvarinctl's JSON answers against the schemas of dist/schema/.

Usage: check_json_schemas.py SCHEMA_DIR CASES_FILE

CASES_FILE is a JSON array of {"schema": "status", "what": "a label", "text": "..."} where text is
what the program printed: one document, or (watch) one document per line. Every schema of the
folder is loaded first, so that one may refer to another by its file name. Prints one line per
document that does not conform and exits 1 if there was one.
"""
import json
import pathlib
import sys

import jsonschema


def load_schemas(folder):
    schemas = {}
    for path in sorted(pathlib.Path(folder).glob("*.json")):
        with open(path, encoding="utf-8") as f:
            schemas[path.name] = json.load(f)
    return schemas


def make_validator(schemas, name):
    schema = schemas[name]
    cls = jsonschema.validators.validator_for(schema)
    cls.check_schema(schema)
    try:
        # jsonschema 4.18 and later resolve references through a registry.
        from referencing import Registry, Resource

        registry = Registry().with_resources(
            (s["$id"], Resource.from_contents(s)) for s in schemas.values()
        )
        return cls(schema, registry=registry, format_checker=cls.FORMAT_CHECKER)
    except ImportError:
        # Debian 12 has 4.10, which resolves them through a store keyed by the schemas' $id.
        store = {s["$id"]: s for s in schemas.values()}
        resolver = jsonschema.RefResolver.from_schema(schema, store=store)
        return cls(schema, resolver=resolver, format_checker=cls.FORMAT_CHECKER)


def main():
    folder, cases_file = sys.argv[1], sys.argv[2]
    schemas = load_schemas(folder)
    with open(cases_file, encoding="utf-8") as f:
        cases = json.load(f)
    validators = {}
    failures = 0
    for case in cases:
        name = case["schema"] + ".json"
        if name not in schemas:
            print(f"{case['what']}: no schema {name} in {folder}")
            failures += 1
            continue
        if name not in validators:
            validators[name] = make_validator(schemas, name)
        lines = case["text"].splitlines() if case["schema"] == "watch" else [case["text"]]
        for text in lines:
            try:
                document = json.loads(text)
            except json.JSONDecodeError as e:
                print(f"{case['what']}: not JSON: {e}")
                failures += 1
                continue
            for error in validators[name].iter_errors(document):
                where = "/".join(str(p) for p in error.absolute_path) or "(top)"
                print(f"{case['what']}: {where}: {error.message}")
                failures += 1
    print(f"{len(cases)} outputs checked, {failures} problems")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
