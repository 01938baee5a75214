// A folder the map has no line for.
