"""Documents json-schemas.py makes from captured ones: broken in a way the
schemas must refuse, or as a later release may write them, which the shipped
schemas take and the strict ones refuse. Each case picks the first valid
captured document of its kind that `pick` accepts, and `change` edits it."""

from collections import namedtuple

Case = namedtuple("Case", "name kind pick change shipped strict")


def edit(**members):
    """Sets `members` (None: removes the member)."""

    def change(document):
        for key, value in members.items():
            if value is None:
                document.pop(key, None)
            else:
                document[key] = value

    return change


def failed_row(document):
    document["devices"][0].update(result="FAIL", reason="verify failed")
    edit(exitCode=0, error=None)(document)


def later_bus(document):
    document["devices"][0]["bus"] = "Thunderbolt"


def later_state(document):
    document["devices"][0].update(
        state="a later state", identification=None, familyCode=None, revision=None, tbr640=None
    )


def result_is(*results):
    return lambda document: document.get("result") in results


def event_is(kind):
    return lambda document: document.get("event") == kind


def has_rows(document):
    return bool(document.get("devices"))


def refused(document):
    return "refusal" in document and document["refusal"] != "not-tbr640"


def anything(document):
    return True


CASES = [
    # What result and exit code say together.
    Case("FAIL, exit code 0", "update", result_is("FAIL"), edit(exitCode=0, error=None), False, False),
    Case("FAIL, exit code 3", "update", result_is("FAIL"), edit(exitCode=3), False, False),
    Case("PASS, exit code 3", "update", result_is("PASS"), edit(exitCode=3, error="x"), False, False),
    Case("up to date, exit code 4", "update", result_is("up to date"), edit(exitCode=4, error="x"),
         False, False),
    Case("PASS, exit code 1 and why (the wait ran out)", "update", result_is("PASS"),
         edit(exitCode=1, error="the enclosure did not come back within 10 s"), True, True),
    Case("update --all: a FAIL row, exit code 0", "update --all", has_rows, failed_row, False, False),
    Case("watch: a FAIL row, exit code 0", "watch", has_rows, failed_row, False, False),
    Case("refused, exit code 0", "update", refused, edit(exitCode=0, error=None), False, False),
    Case("refused as newer firmware, exit code 3", "update", refused,
         edit(refusal="newer-firmware", exitCode=3), False, False),
    Case("no TBR640, exit code 1", "info", anything, edit(refusal="not-tbr640", exitCode=1, error="x"),
         False, False),
    Case("exit code 1 without the error", "list", anything, edit(exitCode=1, error=None), False, False),
    Case("a result event without its milliseconds", "event", event_is("result"),
         edit(milliseconds=None), False, False),
    # A later format is another document.
    Case("format 2", "list", anything, edit(format=2), False, False),
    # Values a later release may add within format 1.
    Case("a later kind of event", "event", event_is("start"),
         edit(event="arrival", firmwareBefore=None), True, False),
    Case("a later phase", "event", event_is("progress"), edit(phase="erasing"), True, False),
    Case("a later refusal", "update", refused, edit(refusal="a-later-reason"), True, False),
    Case("a later bus", "list", has_rows, later_bus, True, False),
    Case("a later state", "list", has_rows, later_state, True, False),
]
