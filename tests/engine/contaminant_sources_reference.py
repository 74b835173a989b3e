#!/usr/bin/env python3
"""An independent solution of one ventilated zone with a surface source/sink.

The zone (typed from the description in contaminant_sources_test.cpp, not
read from the engine): air mass M = 1.2041 kg/m3 x 100 m3, a flow
F = 0.05 kg/s of outdoor air at Cout = 1e-5 kg/kg in and out, starting
clean (C = 0), with one surface:

  dvr  deposition onto a surface of loading L (kg/m2, L(0) = 0):
         Ad dL/dt = Vd Ad rho C - r Ar L
         M dC/dt  = F (Cout - C) - mult (Vd Ad rho C - r Ar L)
       Vd = 1e-3 m/s, r = 1e-4 1/s, Ad = Ar = 10 m2, mult = 2.
  bls  an adsorbing surface of concentration Cs (kg/kg, Cs(0) = 0) and
       mass Ms, exchange area A (the multiplier):
         Ms dCs/dt = h d A (C - Cs/k)
         M dC/dt   = F (Cout - C) - h d A (C - Cs/k)
       h = 1e-3 m/s, d = 1.2 kg/m3, k = 2, Ms = 50 kg, A = 10 m2.

The pair of equations is integrated with the classical fourth-order
Runge-Kutta method at 1 s steps (all parameters rounded to single precision
as the project stores them). Prints one line per hour up to 6 h:
"<hour> <C kg/kg> <surface state>".

Usage: contaminant_sources_reference.py dvr|bls
"""
import struct
import sys


def f32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


def main():
    model = sys.argv[1] if len(sys.argv) > 1 else ""
    M = 1.2041 * 100
    F = 0.05
    Cout = f32(1e-5)
    if model == "dvr":
        Vd, r, Ad, Ar, mult = f32(1e-3), f32(1e-4), 10.0, 10.0, 2.0
        rho = 1.2041

        def rates(C, S):
            flux = Vd * Ad * rho * C - r * Ar * S
            return (F * (Cout - C) - mult * flux) / M, flux / Ad
    elif model == "bls":
        h, d, k, Ms, A = f32(1e-3), f32(1.2), 2.0, 50.0, 10.0

        def rates(C, S):
            flux = h * d * A * (C - S / k)
            return (F * (Cout - C) - flux) / M, flux / Ms
    else:
        sys.exit("usage: contaminant_sources_reference.py dvr|bls")
    C = S = 0.0
    dt = 1.0
    for hour in range(1, 7):
        for _ in range(3600):
            k1 = rates(C, S)
            k2 = rates(C + 0.5 * dt * k1[0], S + 0.5 * dt * k1[1])
            k3 = rates(C + 0.5 * dt * k2[0], S + 0.5 * dt * k2[1])
            k4 = rates(C + dt * k3[0], S + dt * k3[1])
            C += dt / 6 * (k1[0] + 2 * k2[0] + 2 * k3[0] + k4[0])
            S += dt / 6 * (k1[1] + 2 * k2[1] + 2 * k3[1] + k4[1])
        print(f"{hour} {C:.12e} {S:.12e}")


if __name__ == "__main__":
    main()
