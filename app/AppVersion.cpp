// Placeholder unit so the UI library exists from the first build.
