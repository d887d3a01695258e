// Placeholder until the library lands.
