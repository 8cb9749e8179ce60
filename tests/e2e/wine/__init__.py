"""The end-to-end runs of the Windows screen saver under Wine: the runner, the
cases, and the prefixes, test driver and quirks that only they need."""
