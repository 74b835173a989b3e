#!/usr/bin/env python3
"""Writes a synthetic weather file for a whole year (examples/synthetic_year.wth).

The year is made, not measured: it serves to run a one-year simulation at once.
Its climate is that of an inland mid-latitude site:

* Temperature: the monthly mean temperatures below, joined smoothly from the
  middle of one month to the middle of the next (cosine interpolation), plus a
  daily swing of the month's amplitude with its low at 05:00 and its high at
  15:00, plus a slow day-to-day wander of up to 2 K.
* Pressure: 101325 Pa with a weekly rise and fall of 600 Pa, as passing weather
  systems give.
* Wind: the month's mean speed, stronger in the afternoon, with the month's
  prevailing direction and a gusty day-to-day variation of speed and direction.
* Day types: 1 Sunday to 7 Saturday, the year starting on a Monday; New Year's
  Day and Christmas Day are holidays (day type 8).

The variations come from a fixed linear congruential sequence, so the file is
the same on every machine. Run it from the project's root:

    python3 examples/tools/make_year_weather.py
"""
import math
import os

MONTH_DAYS = [31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]
MEAN_C = [-4.0, -2.0, 4.0, 10.0, 16.0, 21.0, 24.0, 23.0, 19.0, 12.0, 5.0, -1.0]
SWING_C = [4.0, 4.5, 5.0, 6.0, 6.0, 6.0, 6.0, 5.5, 5.5, 5.0, 4.0, 3.5]
WIND_MS = [5.5, 5.5, 6.0, 5.8, 5.0, 4.5, 4.0, 4.0, 4.3, 4.8, 5.3, 5.5]
WIND_DEG = [290, 290, 280, 200, 200, 210, 220, 220, 210, 230, 270, 285]
HOLIDAYS = {1, 359}  # Jan 1 and Dec 25


class Sequence:
    """A linear congruential generator with fixed constants: uniform in [0, 1)."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (1103515245 * self.state + 12345) % 2**31
        return self.state / 2**31


def month_and_day(day):
    month = 0
    while day > MONTH_DAYS[month]:
        day -= MONTH_DAYS[month]
        month += 1
    return month + 1, day


def mid_month_days():
    mids, start = [], 0
    for n in MONTH_DAYS:
        mids.append(start + n / 2.0)
        start += n
    return mids


def smooth_monthly(values, t_days):
    """The monthly values joined by cosine interpolation between mid-months."""
    mids = mid_month_days()
    for k in range(12):
        a, b = mids[k], mids[(k + 1) % 12] + (365 if k == 11 else 0)
        t = t_days if t_days >= mids[0] else t_days + 365
        if a <= t < b:
            w = (1 - math.cos(math.pi * (t - a) / (b - a))) / 2
            return values[k] + w * (values[(k + 1) % 12] - values[k])
    return values[0]


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = os.path.join(root, "synthetic_year.wth")
    rng = Sequence(20261211)
    wander = [2.0 * (2 * rng.next() - 1) for _ in range(366)]
    gust = [0.6 + 0.8 * rng.next() for _ in range(366)]
    veer = [60.0 * (2 * rng.next() - 1) for _ in range(366)]
    lines = [
        "WeatherFile AvelorW 2.0",
        "Synthetic year: inland mid-latitude climate",
        "1/1 12/31 ! first and last day",
        "! date  day-type  dst  reserved  ground-temperature [K]",
    ]
    for day in range(1, 366):
        m, d = month_and_day(day)
        day_type = 8 if day in HOLIDAYS else (day % 7) + 1  # Jan 1, a Monday: 2
        ground = 273.15 + 10.0 - 6.0 * math.cos(2 * math.pi * (day - 30) / 365)
        lines.append("%d/%d %d 0 0 %.2f" % (m, d, day_type, ground))
    lines.append("! date  time  Ta[K]  Pb[Pa]  Ws[m/s]  Wd[deg]  six further values (zero)")
    for day in range(1, 366):
        m, d = month_and_day(day)
        for hour in range(0, 25):
            if hour == 24 and day < 365:
                continue  # midnight is the next day's 00:00:00
            t_days = day - 1 + hour / 24.0
            k = day - 1
            mean = smooth_monthly(MEAN_C, t_days) + wander[k] + (wander[k + 1] - wander[k]) * hour / 24.0
            swing = smooth_monthly(SWING_C, t_days)
            ta = 273.15 + mean + swing * math.cos(2 * math.pi * (hour - 15) / 24.0)
            pb = 101325.0 + 600.0 * math.sin(2 * math.pi * t_days / 7.0)
            ws = smooth_monthly(WIND_MS, t_days) * gust[k] * (1 + 0.3 * math.sin(2 * math.pi * (hour - 8) / 24.0))
            wd = (smooth_monthly(WIND_DEG, t_days) + veer[k] + 15.0 * math.sin(2 * math.pi * hour / 24.0)) % 360.0
            lines.append("%d/%d %02d:00:00 %.2f %.1f %.2f %.1f 0 0 0 0 0 0" % (m, d, hour, ta, pb, max(ws, 0.0), wd))
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
