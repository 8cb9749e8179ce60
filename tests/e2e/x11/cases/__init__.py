"""The end-to-end cases of roamlets on X, one module per area of its behaviour."""
