// Placeholder for a subsystem without sources yet.
