/* Chainage text: the station of a chainage as surveyors write it. */
#include "road.h"

#include "c_notation.h"

#include <math.h>

static char mileage_text[64];

void mileage_format(double chainage, char *text, size_t size)
{
    if (!text || size == 0)
        return;
    if (!isfinite(chainage) || fabs(chainage) >= 1e15) {
        c_notation_snprintf(text, size, "%g", chainage);
        return;
    }
    /* Rounded to the centimetre first, so that 999.999 reads K1+000.00 and
     * not K0+1000.00, and the metres always have three integer digits. */
    double rounded = round(chainage * 100.0) / 100.0;
    long long km = (long long)trunc(rounded / 1000.0);
    double metres = fabs(rounded - 1000.0 * (double)km);
    const char *pad = metres < 10.0 ? "00" : metres < 100.0 ? "0" : "";
    if (km > 0)
        c_notation_snprintf(text, size, "K%lld+%s%.2f", km, pad, metres);
    else if (km < 0)
        c_notation_snprintf(text, size, "-K%lld+%s%.2f", -km, pad, metres);
    else if (rounded < 0.0)
        c_notation_snprintf(text, size, "K0-%s%.2f", pad, metres);
    else
        c_notation_snprintf(text, size, "K0+%s%.2f", pad, metres);
}

const char *mileage(double chainage)
{
    mileage_format(chainage, mileage_text, sizeof mileage_text);
    return mileage_text;
}
