"""Documents json-schemas.py makes from captured ones. Each case picks the
first valid captured document of its kind that `pick` accepts, `change` edits
it, and the schemas give their verdict: "broken" (both refuse it), "later"
(as a later release of the format may write it: the shipped schema takes it,
the strict one refuses it) or "sound" (both take it)."""

from collections import namedtuple

Case = namedtuple("Case", "name kind pick change verdict")
# What the shipped and the strict schema say of each verdict.
VERDICTS = {"broken": (False, False), "later": (True, False), "sound": (True, True)}


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
    Case("FAIL, exit code 0", "update", result_is("FAIL"), edit(exitCode=0, error=None), "broken"),
    Case("FAIL, exit code 3", "update", result_is("FAIL"), edit(exitCode=3), "broken"),
    Case("PASS, exit code 3", "update", result_is("PASS"), edit(exitCode=3, error="x"), "broken"),
    Case("up to date, exit code 4", "update", result_is("up to date"),
         edit(exitCode=4, error="x"), "broken"),
    Case("PASS, exit code 1 and why (the wait ran out)", "update", result_is("PASS"),
         edit(exitCode=1, error="the enclosure did not come back within 10 s"), "sound"),
    Case("update --all: a FAIL row, exit code 0", "update --all", has_rows, failed_row, "broken"),
    Case("watch: a FAIL row, exit code 0", "watch", has_rows, failed_row, "broken"),
    Case("refused, exit code 0", "update", refused, edit(exitCode=0, error=None), "broken"),
    Case("refused as newer firmware, exit code 3", "update", refused,
         edit(refusal="newer-firmware", exitCode=3), "broken"),
    Case("no TBR640, exit code 1", "info", anything,
         edit(refusal="not-tbr640", exitCode=1, error="x"), "broken"),
    Case("exit code 1 without the error", "list", anything, edit(exitCode=1, error=None), "broken"),
    Case("a result event without its milliseconds", "event", event_is("result"),
         edit(milliseconds=None), "broken"),
    # A later format is another document.
    Case("format 2", "list", anything, edit(format=2), "broken"),
    # Values a later release may add within format 1.
    Case("a later kind of event", "event", event_is("start"),
         edit(event="pause", firmwareBefore=None), "later"),
    Case("a later phase", "event", event_is("progress"), edit(phase="erasing"), "later"),
    Case("a later refusal", "update", refused, edit(refusal="a-later-reason"), "later"),
    Case("a later bus", "list", has_rows, later_bus, "later"),
    Case("a later state", "list", has_rows, later_state, "later"),
]
