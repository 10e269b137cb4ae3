// Pieces of the EPS document shared by the open and the new page.
#pragma once

namespace plume::device {
// "5 5 translate " in portrait; "590 5 translate " and "90 rotate " otherwise.
void write_orientation_transform();
// Whether documents opened now announce their box at the end (bounding_box_atend).
bool bounding_box_atend_on();
}  // namespace plume::device
