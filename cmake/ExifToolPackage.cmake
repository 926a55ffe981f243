# Builds the ExifTool package beside the program from the system's ExifTool installation.
