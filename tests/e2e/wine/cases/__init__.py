"""The end-to-end cases, one module per area of the saver's behaviour."""
