// number with a packed width-and-decimals code, whatever the dialect: the
// form axis numbers its ticks with.
#pragma once

namespace plume::annotate {
void field_number(float x, float y, float height, float value, float angle, int format_code);
}  // namespace plume::annotate
