// Placeholder until the in-memory host lands.
