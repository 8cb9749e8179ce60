"""The end-to-end runs of roamlets, the native program, on a virtual X display."""
