#!/usr/bin/env python3
"""An independent solution of the controlled exhaust fan example.

The room (typed from the description in example_projects.h, not read from
the engine or the project file): a well-mixed zone of 240 m3 at 293.15 K
and the barometric pressure 101325 Pa (air density Pb / (R T), R = 287.055
J/(kg K)), outdoor air at Co = 6e-4 kg/kg CO2, occupants giving
G = 1e-4 kg/s of CO2 from 08:00 to 17:00 and nothing otherwise. An exhaust
fan takes Q(C) = Qmax s(C) out of the room (the make-up air comes in from
outdoors through the opening), with the controller law of the example:

  s(C) = min(1, max(0, Kp (C - Cset) gain)),  Qmax = 0.2 kg/s, Kp = 1,
  Cset = 1.5e-3 kg/kg, gain = 4000

and the room's CO2 follows

  M dC/dt = G(t) - Q(C) (C - Co),   C(0) = Co.

Integrated with the classical fourth-order Runge-Kutta method at 1 s steps.
Without --step the controller acts on the concentration at every instant.
With --step DT it is a sampled controller, as a run's network is: every DT
seconds it takes the concentration then and holds its output for the DT
seconds that follow; and the source acts from 08:00 - DT to 17:00 - DT, as
a run takes each step's source from the schedule at the step's end. The
flow printed for an instant is the one held over the DT seconds before it.
Parameters rounded to single precision as the project stores them. Prints
one line per instant asked for (seconds after midnight):
"<t> <C kg/kg> <fan flow kg/s>".

Usage: controlled_exhaust_reference.py [--step DT] T1 [T2 ...]
"""
import struct
import sys


def f32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


def main():
    args = sys.argv[1:]
    shift = 0
    if len(args) >= 2 and args[0] == "--step":
        shift = int(args[1])
        args = args[2:]
    times = sorted(int(t) for t in args)
    if not times:
        sys.exit("usage: controlled_exhaust_reference.py [--step DT] T1 [T2 ...]")
    T = f32(293.15)
    M = 101325 / (287.055 * T) * 240
    Co, Cset, gain = f32(6e-4), f32(1.5e-3), f32(4000)
    G0, Qmax = f32(1e-4), f32(0.2)
    start, end = 8 * 3600 - shift, 17 * 3600 - shift

    def fan(C):
        return Qmax * min(1.0, max(0.0, (C - Cset) * gain))

    def rate(t, C, Q):
        G = G0 if start <= t < end else 0.0
        return (G - Q * (C - Co)) / M

    C, t, h = Co, 0.0, 1.0
    sample = shift if shift > 0 else None
    held = fan(C)
    for want in times:
        while t < want - 1e-9:
            # The source switches and the controller samples on whole
            # seconds: no step straddles them.
            if sample is None:
                def q(x):
                    return fan(x)
            else:
                if abs(t / sample - round(t / sample)) < 1e-9:
                    held = fan(C)

                def q(x):
                    return held
            k1 = rate(t, C, q(C))
            k2 = rate(t + h / 2, C + h / 2 * k1, q(C + h / 2 * k1))
            k3 = rate(t + h / 2, C + h / 2 * k2, q(C + h / 2 * k2))
            k4 = rate(t + h, C + h * k3, q(C + h * k3))
            C += h / 6 * (k1 + 2 * k2 + 2 * k3 + k4)
            t += h
        print(f"{want} {C:.9e} {(fan(C) if sample is None else held):.9e}")


if __name__ == "__main__":
    main()
