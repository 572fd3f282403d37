// MyFunc: the numeric and geometry helpers, all pure: conversions that never
// fail, rounding, number text forms, plane geometry, and the elliptical arc
// measure. This header gathers the whole folder.
#pragma once

#include "geometry/EllipseArc.h"
#include "geometry/NumConv.h"
#include "geometry/NumText.h"
#include "geometry/Plane.h"
#include "geometry/Separators.h"
