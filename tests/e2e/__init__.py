"""The end-to-end runs: Roamlets.scr under Wine (wine), roamlets on X (x11),
and what both share (harness). Imported from the tests folder."""
