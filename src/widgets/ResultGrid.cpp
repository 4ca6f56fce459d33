// Placeholder translation unit; the grid is implemented in the presentation work.
