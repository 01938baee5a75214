// Empty.
