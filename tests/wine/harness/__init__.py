"""Harness of the end-to-end runs of the screen saver under Wine."""
