// Keeps the library target non-empty while its folder has no modules yet.
