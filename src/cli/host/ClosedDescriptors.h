#pragma once
// Standard input, output and error that tq214 was started without (closed by
// `>&-`, some service managers, cron) are opened on the null device first
// thing, so that no file tq214 opens later (a session, the history, a disk
// node) takes their place and receives what is printed.
// One implementation per platform (linux/; win32/, where the C runtime keeps
// those numbers for the standard streams whatever it was started with).

void OpenClosedStandardStreams();
