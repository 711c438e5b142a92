// Placeholder until the display library has sources of its own.
