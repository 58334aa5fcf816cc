// The narrow-phase tests between two collision shapes, over plain geometry.
// Comparisons are written so that a not-a-number value never reads as a contact.
#include "physics/Intersection.h"

#include <cfloat>
#include <cmath>
#include <limits>
#include <type_traits>

namespace {

const float infinity = std::numeric_limits<float>::infinity();

Vector4 lanes3(float value) { return Vector4(value, value, value, 0.0f); }

Vector4 axisVector(int axis, float sign) {
    Vector4 result;
    result.set(axis, sign);
    return result;
}

// Ties go to z, also a tie of x and y below z.
int chooseAxis(float ox, float oy, float oz) {
    if (ox < oy && ox < oz) return 0;
    if (oy < ox && oy < oz) return 1;
    return 2;
}

float clampUnit(float value) { return std::fmin(std::fmax(value, 0.0f), 1.0f); }

// The fallback of normalizeOr: a value, or a function making one only when it is needed.
template <class F>
Vector4 fallbackValue(const F& fallback) {
    if constexpr (std::is_invocable_v<const F&>)
        return fallback();
    else
        return fallback;
}

// v / |v| over four lanes, with |v| in length; vectors too small or too large to square directly are
// scaled first, and a zero (or non-finite) vector gives the fallback with length 0.
template <class F>
Vector4 normalizeOr(Vector4 v, const F& fallback, float& length) {
    float lengthSquared = dot4(v, v);
    if (lengthSquared > FLT_MIN && lengthSquared < FLT_MAX) {
        length = std::sqrt(lengthSquared);
        return v / length;
    }
    float largest = std::fmax(std::fmax(std::fabs(v.x()), std::fabs(v.y())),
                              std::fmax(std::fabs(v.z()), std::fabs(v.w())));
    if (!(largest > 0.0f) || !std::isfinite(largest)) {
        length = 0.0f;
        return fallbackValue(fallback);
    }
    Vector4 scaled = v / largest;
    float scaledLength = std::sqrt(dot4(scaled, scaled));
    length = largest * scaledLength;
    return scaled / scaledLength;
}

template <class F>
Vector4 normalizeOr(Vector4 v, const F& fallback) {
    float length;
    return normalizeOr(v, fallback, length);
}

// Entry and exit parameters of origin + t * direction through the box [low, high]; false when it misses.
bool slabTest(Vector4 origin, Vector4 direction, Vector4 low, Vector4 high, float& tNear, float& tFar) {
    alignas(16) float o[4], d[4], lo[4], hi[4];
    _mm_store_ps(o, origin.m);
    _mm_store_ps(d, direction.m);
    _mm_store_ps(lo, low.m);
    _mm_store_ps(hi, high.m);
    tNear = -infinity;
    tFar = infinity;
    for (int axis = 0; axis < 3; ++axis) {
        if (d[axis] == 0.0f) {
            if (!(o[axis] >= lo[axis] && o[axis] <= hi[axis])) return false;
            continue;
        }
        float t1 = (lo[axis] - o[axis]) / d[axis];
        float t2 = (hi[axis] - o[axis]) / d[axis];
        tNear = std::fmax(tNear, std::fmin(t1, t2));
        tFar = std::fmin(tFar, std::fmax(t1, t2));
        if (!(tFar >= tNear)) return false;
    }
    return true;
}

Vector4 coreStart(Vector4 centre, Vector4 direction, float length) { return centre - direction * lanes3(length); }
Vector4 coreEnd(Vector4 centre, Vector4 direction, float length) { return centre + direction * lanes3(length); }

const Vector4 unitX(1.0f, 0.0f, 0.0f, 0.0f);
const Vector4 unitY(0.0f, 1.0f, 0.0f, 0.0f);

// Parameters of the nearest points of p1 + s * d1 (s from 0 on; no end for a ray) and p2 + t * d2
// (t in [0, tEnd]), from a = d1.d1, b = d1.d2, c = d1.(p1 - p2), e = d2.d2, f = d2.(p1 - p2).
// When a parameter leaves its range the other is recomputed for the clamped one, so ends and
// parallel lines give the true nearest pair.
void closestParameters(float a, float b, float c, float e, float f, float sEnd, float tEnd, float& s, float& t) {
    auto clampS = [sEnd](float value) { return std::fmin(std::fmax(value, 0.0f), sEnd); };
    auto clampT = [tEnd](float value) { return std::fmin(std::fmax(value, 0.0f), tEnd); };
    if (!(a > FLT_MIN) && !(e > FLT_MIN)) {
        s = t = 0.0f;
    } else if (!(a > FLT_MIN)) {
        s = 0.0f;
        t = clampT(f / e);
    } else if (!(e > FLT_MIN)) {
        t = 0.0f;
        s = clampS(-c / a);
    } else {
        float denominator = a * e - b * b;
        // Parallel lines have no single nearest pair: start from the first one's start.
        s = denominator > 1e-6f * a * e ? clampS((b * f - c * e) / denominator) : 0.0f;
        t = (b * s + f) / e;
        if (!(t >= 0.0f)) {
            t = 0.0f;
            s = clampS(-c / a);
        } else if (t > tEnd) {
            t = tEnd;
            s = clampS((b * tEnd - c) / a);
        }
    }
}

void closestParameters(float a, float b, float c, float e, float f, float tEnd, float& s, float& t) {
    closestParameters(a, b, c, e, f, 1.0f, tEnd, s, t);
}

}  // namespace

bool isFiniteVector(Vector4 v) {
    __m128 difference = _mm_sub_ps(v.m, v.m);
    return _mm_movemask_ps(_mm_cmpeq_ps(difference, _mm_setzero_ps())) == 0xF;
}

Vector4 perpendicularUnit(Vector4 axis) {
    Vector4 unitAxis = normalizeOr(zeroVectorComponent(axis, 3), Vector4());
    if (dot4(unitAxis, unitAxis) == 0.0f) return unitY;
    Vector4 candidate = unitY - unitAxis * lanes3(unitAxis.y());
    if (dot4(candidate, candidate) > 1e-6f) return normalizeOr(candidate, unitY);
    candidate = unitX - unitAxis * lanes3(unitAxis.x());
    return normalizeOr(candidate, unitX);
}

bool intersectRectRect(Vector4 centreA, Vector4 halfA, Vector4 centreB, Vector4 halfB, Vector4& normal, float& depth) {
    Vector4 d = centreA - centreB;
    Vector4 overlap = halfA + halfB - componentAbs(d);
    float ox = overlap.x(), oy = overlap.y(), oz = overlap.z();
    // Touching faces (overlap 0) are a contact.
    if (!(ox >= 0.0f && oy >= 0.0f && oz >= 0.0f)) return false;
    int axis = chooseAxis(ox, oy, oz);
    normal = axisVector(axis, d.get(axis) >= 0.0f ? 1.0f : -1.0f);
    depth = overlap.get(axis);
    return true;
}

bool intersectRectSphere(Vector4 boxCentre, Vector4 half, Vector4 sphereCentre, float radius, Vector4& normal,
                         float& depth) {
    Vector4 nearest = componentMin(componentMax(sphereCentre, boxCentre - half), boxCentre + half);
    Vector4 v = nearest - sphereCentre;
    float lengthSquared = dot4(v, v);
    if (!(lengthSquared <= radius * radius)) return false;
    if (lengthSquared != 0.0f) {
        float length;
        normal = normalizeOr(v, unitX, length);
        depth = radius - length;
        return true;
    }
    // The centre is inside the box: push out through the face of least penetration.
    Vector4 offset = sphereCentre - boxCentre;
    Vector4 penetration = half + lanes3(radius) - componentAbs(offset);
    int axis = chooseAxis(penetration.x(), penetration.y(), penetration.z());
    depth = penetration.get(axis);
    normal = axisVector(axis, offset.get(axis) >= 0.0f ? -1.0f : 1.0f);
    return true;
}

bool intersectSphereSphere(Vector4 centreA, float radiusA, Vector4 centreB, float radiusB, Vector4& normal,
                           float& depth) {
    float sum = radiusA + radiusB;
    Vector4 d = centreA - centreB;
    float lengthSquared = dot4(d, d);
    if (!(lengthSquared <= sum * sum)) return false;
    if (lengthSquared != 0.0f) {
        float length;
        normal = normalizeOr(d, unitX, length);
        depth = sum - length;
        return true;
    }
    normal = unitX;
    depth = radiusA;
    return true;
}

bool intersectCapsuleSphere(Vector4 capsuleCentre, Vector4 direction, float length, float capsuleRadius,
                            Vector4 sphereCentre, float sphereRadius, Vector4& normal, float& depth) {
    Vector4 start = coreStart(capsuleCentre, direction, length);
    Vector4 end = coreEnd(capsuleCentre, direction, length);
    Vector4 core = end - start;
    float coreSquared = dot4(core, core);
    // A core without length is a point: its start.
    float t = coreSquared > 0.0f ? dot4(sphereCentre - start, core) / coreSquared : 0.0f;
    Vector4 nearest;
    if (t < 0.0f || !(t == t))
        nearest = start;
    else if (t > 1.0f)
        nearest = end;
    else
        nearest = start + core * lanes3(t);
    Vector4 v = nearest - sphereCentre;
    float sum = capsuleRadius + sphereRadius;
    float lengthSquared = dot4(v, v);
    if (!(lengthSquared <= sum * sum)) return false;
    float distance;
    // A centre on the core has no direction of its own: the sphere leaves sideways, as upwards as the core allows.
    normal = normalizeOr(v, [core] { return -perpendicularUnit(core); }, distance);
    depth = sum - distance;
    return true;
}

bool intersectCapsuleRect(Vector4 capsuleCentre, Vector4 direction, float length, Vector4 boxCentre, Vector4 half,
                          Vector4& normal, float& depth) {
    Vector4 start = coreStart(capsuleCentre, direction, length);
    float tNear, tFar;
    if (!slabTest(start, direction, boxCentre - half, boxCentre + half, tNear, tFar)) return false;
    if (!(tFar >= 0.0f && tNear <= 2.0f * length)) return false;
    normal = Vector4();
    depth = 0.0f;
    return true;
}

bool intersectCapsuleCapsule(Vector4 centreA, Vector4 directionA, float lengthA, float radiusA, Vector4 centreB,
                             Vector4 directionB, float lengthB, float radiusB, Vector4& normal, float& depth) {
    Vector4 startA = coreStart(centreA, directionA, lengthA);
    Vector4 coreA = coreEnd(centreA, directionA, lengthA) - startA;
    Vector4 startB = coreStart(centreB, directionB, lengthB);
    Vector4 coreB = coreEnd(centreB, directionB, lengthB) - startB;
    Vector4 r = startA - startB;
    float a = dot4(coreA, coreA);
    float e = dot4(coreB, coreB);
    float s, t;
    closestParameters(a, dot4(coreA, coreB), dot4(coreA, r), e, dot4(coreB, r), 1.0f, s, t);
    Vector4 nearestA = startA + coreA * lanes3(s);
    Vector4 nearestB = startB + coreB * lanes3(t);
    Vector4 difference = nearestA - nearestB;
    float sum = radiusA + radiusB;
    float distanceSquared = dot4(difference, difference);
    if (!(distanceSquared < sum * sum)) return false;
    auto across = [&] {
        Vector4 crossing = cross3(coreA, coreB);
        return dot4(crossing, crossing) > FLT_MIN ? normalizeOr(crossing, unitY)
                                                  : perpendicularUnit(a > FLT_MIN ? coreA : coreB);
    };
    float distance;
    normal = normalizeOr(difference, across, distance);
    if (!(distance < sum)) return false;
    depth = sum - distance;
    return true;
}

bool intersectRaySphere(Vector4 origin, Vector4 direction, Vector4 centre, float radius, Vector4& normal,
                        float& depth, float& distance) {
    Vector4 d = (origin + direction) - origin;
    float dd = dot4(d, d);
    // A ray without direction is its origin alone.
    float t = dd > FLT_MIN ? dot4(centre - origin, d) / dd : 0.0f;
    if (!std::isfinite(t)) t = 0.0f;
    distance = t;
    Vector4 nearest = t >= 0.0f ? origin + direction * lanes3(t) : origin;
    Vector4 v = nearest - centre;
    float lengthSquared = dot4(v, v);
    if (!(lengthSquared <= radius * radius)) return false;
    float length;
    normal = normalizeOr(v, [direction] { return perpendicularUnit(direction); }, length);
    depth = radius - length;
    return true;
}

bool intersectRayRect(Vector4 origin, Vector4 direction, Vector4 boxCentre, Vector4 half, Vector4& normal,
                      float& depth, float& distance) {
    float tNear, tFar;
    if (!slabTest(origin, direction, boxCentre - half, boxCentre + half, tNear, tFar)) return false;
    if (!(tFar >= 0.0f)) return false;
    // An entry beyond every float distance is no hit; no entry at all (the origin inside and the
    // direction zero) is a hit where the ray starts.
    if (tNear == infinity) return false;
    distance = tNear == -infinity ? 0.0f : tNear;
    normal = Vector4();
    depth = 0.0f;
    return true;
}

namespace {

// The ray's hits of the two end caps, the nearer one first; also what a ray along the core meets.
bool rayCapsuleEnds(Vector4 origin, Vector4 direction, Vector4 start, Vector4 end, float radius, Vector4& normal,
                    float& depth, float& distance) {
    Vector4 endNormal;
    float endDepth, endDistance;
    bool hitStart = intersectRaySphere(origin, direction, start, radius, normal, depth, distance);
    bool hitEnd = intersectRaySphere(origin, direction, end, radius, endNormal, endDepth, endDistance);
    if (hitEnd && (!hitStart || endDistance < distance)) {
        normal = endNormal;
        depth = endDepth;
        distance = endDistance;
        return true;
    }
    return hitStart;
}

}  // namespace

bool intersectRayCapsule(Vector4 origin, Vector4 direction, Vector4 capsuleCentre, Vector4 capsuleDirection,
                         float length, float radius, Vector4& normal, float& depth, float& distance) {
    Vector4 start = coreStart(capsuleCentre, capsuleDirection, length);
    Vector4 end = coreEnd(capsuleCentre, capsuleDirection, length);
    Vector4 core = end - start;
    Vector4 w = origin - start;
    Vector4 d = (origin + direction) - origin;
    float a = dot4(d, d);
    float b = dot4(d, core);
    float c = dot4(d, w);
    float e = dot4(core, core);
    float f = dot4(core, w);

    // A core of no length is a ball around the capsule's centre.
    if (!(e > FLT_MIN)) return intersectRaySphere(origin, direction, capsuleCentre, radius, normal, depth, distance);
    if (!(a > FLT_MIN)) {
        // A ray without direction is a point: inside the capsule or not.
        float t = clampUnit(f / e);
        Vector4 v = origin - (start + core * lanes3(t));
        float pointDistance;
        normal = normalizeOr(v, [core] { return perpendicularUnit(core); }, pointDistance);
        if (!(pointDistance < radius)) return false;
        depth = radius - pointDistance;
        distance = 0.0f;
        return true;
    }
    bool parallel = direction == capsuleDirection || direction == -capsuleDirection;
    if (parallel || !(a * e - b * b > 1e-6f * a * e))
        return rayCapsuleEnds(origin, direction, start, end, radius, normal, depth, distance);

    float s, t;
    closestParameters(a, b, c, e, f, infinity, 1.0f, s, t);
    Vector4 onRay = origin + direction * lanes3(s);
    Vector4 onCore = start + core * lanes3(t);
    Vector4 difference = onRay - onCore;
    if (!(dot4(difference, difference) < radius * radius)) return false;
    float nearestDistance;
    normal = normalizeOr(
        difference, [&] { return normalizeOr(cross3(direction, core), [core] { return perpendicularUnit(core); }); },
        nearestDistance);
    if (!(nearestDistance < radius)) return false;
    depth = radius - nearestDistance;

    // Where the ray enters: fit a parabola to the distance from the core's line at the nearest point and
    // 10 and 20 steps back along the ray, and solve it for the radius.
    Vector4 axis = normalizeOr(core, unitX);
    auto distanceFromAxis = [&](Vector4 x) {
        float g = dot4(x - start, axis);
        Vector4 offset = start + axis * lanes3(g) - x;
        return std::sqrt(dot4(offset, offset));
    };
    float d0 = nearestDistance;
    float d10 = distanceFromAxis(onRay - direction * lanes3(10.0f));
    float d20 = distanceFromAxis(onRay - direction * lanes3(20.0f));
    float bq = (4.0f * d10 - (3.0f * d0 + d20)) / 20.0f;
    float aq = ((d10 - d0) - bq * 10.0f) / 100.0f;
    float back = std::numeric_limits<float>::quiet_NaN();
    if (aq != 0.0f) {
        float discriminant = bq * bq - 4.0f * aq * (d0 - radius);
        if (discriminant >= 0.0f) back = (std::sqrt(discriminant) - bq) / (2.0f * aq);
    }
    // A distance that grows linearly along the ray (or a fit that never reaches the radius).
    if (!std::isfinite(back) && bq != 0.0f) back = (radius - d0) / bq;
    if (!std::isfinite(back)) back = 0.0f;
    distance = s - back;
    if (!std::isfinite(distance)) distance = s;
    return true;
}

bool intersectSphereOBB(Vector4 sphereCentre, float radius, Vector4 boxCentre, Quaternion rotation, Vector4 half,
                        Vector4& normal, float& depth) {
    Quaternion q = quaternionNormalized(rotation);
    Vector4 local = quaternionRotate(quaternionConjugate(q), sphereCentre - boxCentre + Vector4(0, 0, 0, 1));
    // The turn leaves w at 1 up to rounding; a stray w would read as an offset along a fourth axis.
    local.setW(1.0f);
    Vector4 boxNormal;
    if (!intersectRectSphere(Vector4(0, 0, 0, 1), half, local, radius, boxNormal, depth)) return false;
    // Renormalised: a rotation that is not quite unit would scale the normal.
    normal = normalizeOr(zeroVectorComponent(quaternionRotate(q, -boxNormal), 3), -boxNormal);
    return true;
}

bool intersectRayOBB(Vector4 origin, Vector4 direction, Vector4 boxCentre, Quaternion rotation, Vector4 half,
                     Vector4& normal, float& depth, float& distance) {
    Quaternion q = quaternionNormalized(rotation);
    Quaternion inverse = quaternionConjugate(q);
    Vector4 localOrigin = quaternionRotate(inverse, origin - boxCentre + Vector4(0, 0, 0, 1));
    localOrigin.setW(1.0f);
    Vector4 localDirection = normalizeOr(zeroVectorComponent(quaternionRotate(inverse, direction), 3), Vector4());
    Vector4 boxNormal;
    if (!intersectRayRect(localOrigin, localDirection, Vector4(0, 0, 0, 1), half, boxNormal, depth, distance))
        return false;
    normal = zeroVectorComponent(quaternionRotate(q, boxNormal), 3);
    return true;
}

bool intersectPlaneShape(Vector4 planeCentre, float planeBoundingRadius, Vector4 otherCentre,
                         float otherBoundingRadius, Vector4& normal, float& depth) {
    Vector4 d = otherCentre - planeCentre;
    float reach = static_cast<float>(0.25 * static_cast<double>(planeBoundingRadius) + otherBoundingRadius);
    if (!(dot4(d, d) <= reach * reach)) return false;
    // Two shapes at one place: the other one counts as above the plane.
    normal = normalizeOr(d, unitY);
    depth = 0.0f;
    return true;
}
