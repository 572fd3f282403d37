// MyFunc: the numeric and geometry helpers, all pure: conversions that never
// fail, rounding, plane geometry, and the elliptical arc measure.
#pragma once

#include "geometry/EllipseArc.h"
#include "geometry/NumConv.h"
#include "geometry/Plane.h"
