// Saving a picture of the current level from the editor.
#pragma once

namespace avelor {

struct EditorSession;
struct ResultsOverlay;

// "Save SketchPad to .BMP File...": shows "Creating Bitmap", checks that
// the picture of the current level at the view's cell size (with the
// results lines when an overlay is given) can be made ("Failed to create
// bitmap."), asks "The size of the bitmap is %.4g Megabytes. Do you want
// to save the bitmap?", asks for the file ("Bitmap Files (*.BMP)", "bmp";
// a name ending in ".png" gets a PNG), checks the free disk space ("Not
// enough disk space to save the bitmap.") and writes the file ("File Not
// Saved." as a WARNING when that fails). True when a file was written.
bool export_sketchpad_bitmap(EditorSession& session, const ResultsOverlay* results);

}  // namespace avelor
