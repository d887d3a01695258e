// Placeholder until the math lands.
