#pragma once
// Sidereal time, horizontal and equatorial coordinates, and the range helpers.
// Angles are doubles of arcseconds (a full turn is 1296000). Azimuth runs from
// north through east; latitude is positive north, longitude positive east.
// Safe on any thread.

// Local sidereal angle in arcseconds for the observer's longitude LONG, from
// the current clock (platform::clock()), in [0, 1296000) for dates after the
// noon of 1 January 2000.
double GET_LMST(double LONG);

// Horizontal to equatorial: RA in [0, 1296000), DE in [-648000, 648000).
void AZTORA(double AZ, double ALT, double LAT, double LST, double& RA, double& DE);
// Equatorial to horizontal: AZ in [0, 1296000), ALT in [-648000, 648000).
void RATOAZ(double RA, double DE, double LAT, double LST, double& AZ, double& ALT);

// Wraps into [MIN_BOUND, MAX_BOUND) by whole spans; a value that is not
// finite, or an empty range, gives MIN_BOUND.
double CHECKBOUND(double CHECK_VAL, double MIN_BOUND, double MAX_BOUND);
// One wrap step each way (MAXVAL itself is kept); a value many spans away is
// wrapped as CHECKBOUND does, one that is not finite gives MINVAL.
double RANGELOOP(double VALUE, double MINVAL, double MAXVAL);
// Clamps into [MINVAL, MAXVAL]; NaN gives the in-range value nearest to 0.
double RANGEVAL(double VALUE, double MINVAL, double MAXVAL);

double POSTODEG(double POS);  // arcseconds to turns
double DEGTOPOS(double DEG);  // turns to arcseconds
double POSTORAD(double DEG);  // arcseconds to radians
double RADTOPOS(double RAD);  // radians to arcseconds
