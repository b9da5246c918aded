// The 3-D model: an ordered point list stored relative to a centre, and everything computed
// on it: drawing into the views, picking, rotation and scaling, and G3D files.
#pragma once

#include "Point3D.h"
#include "ViewAxes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class Canvas;

// Failures are exceptions, and a failing call leaves the model as it was, but for a load that
// fails part-way (see LoadFileEx):
//  - an index outside the list: std::out_of_range;
//  - a 32,768th point: std::length_error;
//  - a perspective point that cannot be projected: std::overflow_error (the drawing of that
//    view ends at that point);
//  - a file that cannot be read, written or parsed: FileError, which says why.
class c3dObj {
public:
    // Point indices are 16-bit, so a model holds at most this many points.
    static constexpr int32_t kMaxPoints = 32767;

    std::string ObjName;

    int32_t nPoints() const { return static_cast<int32_t>(Points.size()); }

    float GetCX() const { return cx; }
    float GetCY() const { return cy; }
    float GetCZ() const { return cz; }
    // Moves the whole model: the points keep their offsets.
    void SetCxyz(float val1, float val2, float val3);

    // Point i becomes the absolute position (val1, val2, val3).
    void SetXYZ(int16_t i, float val1, float val2, float val3);
    // The stored offsets of point i, not its absolute position.
    float GetX(int16_t i) const;
    float GetY(int16_t i) const;
    float GetZ(int16_t i) const;

    // Polyline through the points in list order, a marker on every point; never clears.
    void DrawPrespectiveView(Canvas& pc, uint32_t c, uint32_t p) const;
    void DrawFrontView(Canvas& pc, uint32_t c, uint32_t p) const;
    void DrawTopView(Canvas& pc, uint32_t c, uint32_t p) const;
    void DrawLeftView(Canvas& pc, uint32_t c, uint32_t p) const;
    // A plus-shaped marker centred on view position (X, Y).
    void DrawPoint(Canvas& pc, float X, float Y, uint32_t c) const;

    // Appends the absolute position (X, Y, Z) as the last point.
    void AddPoint(float X, float Y, float Z);
    // Removes point pnt; an index at or past the last removes the last point, and an empty
    // list is left as it is.
    void DeletePoint(int16_t pnt);

    // Index of the first point within the pick radius of the centre-relative position (X, Y)
    // in the given view, marked in red on pc; -1 when none.
    int16_t SelectPoint(Canvas& pc, float X, float Y, int16_t view) const;
    // Marks a point in red in the front (p1), left (p2) and top (p3) views.
    void SelectInAllView(Canvas& p1, Canvas& p2, Canvas& p3, int16_t SelectedPt) const;

    // Turns every point about the centre: about x, then y, then z, angles in degrees.
    void RotateXYZ(float xAngle, float yAngle, float zAngle) noexcept;
    // Appends the points of a G3D file, each as it is read, and replaces ObjName. A load that
    // fails part-way keeps the points read before the line at fault.
    void LoadFileEx(const std::string& FileName);
    // Writes the model as a G3D file, through any links; a failed save leaves the old content,
    // or names the backup that holds it (see G3dFile::Save).
    void SaveFile(const std::string& FileName) const;
    // Scales every point about the centre: by 1.1 for mDir 1, by 0.9 for mDir -1.
    void Resize(int16_t mDir) noexcept;

private:
    float GetDistance(float a, float b, float X, float Y) const;
    // Index i checked against the list; std::out_of_range outside it.
    std::size_t index(int16_t i) const;
    template <typename Map> void DrawView(Canvas& pc, uint32_t c, uint32_t p, Map map) const;
    template <ViewAxes Axes> void DrawFlatView(Canvas& pc, uint32_t c, uint32_t p) const;

    float cx = 0.0f;
    float cy = 0.0f;
    float cz = 0.0f;
    std::vector<Point3D> Points;
};
