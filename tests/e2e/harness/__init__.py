"""What the end-to-end runs under Wine and on X share: the virtual display,
pictures and their checks, and the picking, waiting and timing of cases."""
