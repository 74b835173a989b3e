#!/usr/bin/env python3
"""An independent solution of the duct system example (examples/duct_system.prj).

The system (built by duct_system() in example_projects.h; the numbers here
are typed from that description, not read from the project file or the
engine):

  intake terminal 1 (outdoors) --fan, segment 1--> junction 2
  junction 2 --main, segment 2--> junction 3 --segment 3--> junction 4
  junction 4 --main round the corner, segment 4--> supply terminal 8 (room 4)
  junctions 2, 3, 4 --branches, segments 5, 6, 7--> supply terminals 5, 6, 7
  return terminal 9 (room 4) --return duct, segment 8--> exhaust terminal 10
  each room leaks to the outdoors through a wall leak at 1.5 m
  the main's walls leak into the rooms the junctions lie in

Physics, written out here on their own:
  * Colebrook's equation 1/sqrt(f) = -2 log10(e/3.7 + 2.51/(Re sqrt(f)))
    solved by fixed-point iteration to machine precision (laminar
    f = 64/Re below Re 2300, the linear blend to 3500 as the friction
    factor is defined), a duct segment dP = (f L/D + sum C) F^2/(2 rho A^2)
    with Re = |F| D/(mu A);
  * a terminal dP = K F^2/(2 rho A^2) on the area of the duct feeding it;
  * the fan: rise(F) = 150 - 100 F - 500 F^3 Pa at 1.2041 kg/m3, the rise
    scaling with the density of the air at its inlet at a given volume
    flow;
  * a wall leak F = Cd sqrt(2) A dPref^(0.5-n) sqrt(rho) dP^n;
  * duct leakage Q = C dP^0.65 with C = rate 0.001 (pi D L) / 1 Pa^0.65,
    half of each segment's at each of its two ends;
  * node pressures relative to the outdoor air at the node's height,
    densities rho = (Pb + p)/(R T), the stack term
    g[(rho_a - rho_n)(z - z_n) - (rho_a - rho_m)(z - z_m)] of each link at
    its height z (a segment at the middle of its ends).
The mass balances of the four rooms and ten duct nodes are solved by a
damped Newton iteration with a difference Jacobian.

Usage: duct_reference.py [--balance J K]   (K: balance loss coefficient of
terminal J). Prints one line per link: "<kind> <number> <flow kg/s>".
"""
import math
import sys

PB, R, G, T = 101325.0, 287.055, 9.8055, 293.15
MU = 1.81625e-5
RHO_REF = 1.2041
ROUGH = 0.00009
Z_DUCT, Z_LEAK = 2.7, 1.5
D_MAIN, D_BRANCH, D_RETURN = 0.25, 0.15, 0.2
MAIN_LEAK_RATE = 0.1  # L/s per m2 at 1 Pa
FAN = (150.0, -100.0, 0.0, -500.0)

AMB = "amb"
ROOMS = ["z1", "z2", "z3", "z4"]
JUNCTIONS = [f"j{i}" for i in range(1, 11)]
ZONE_OF = {"j1": AMB, "j2": "z1", "j3": "z2", "j4": "z3", "j5": "z1", "j6": "z2",
           "j7": "z3", "j8": "z4", "j9": "z4", "j10": AMB}


def area(D):
    return math.pi * D * D / 4


def colebrook(e, Re):
    if Re <= 2300:
        return 64 / Re

    def turbulent(Re):
        f = 0.02
        for _ in range(200):
            g = (-2 * math.log10(e / 3.7 + 2.51 / (Re * math.sqrt(f)))) ** -2
            if abs(g - f) <= 1e-15 * f:
                break
            f = g
        return g

    ft = turbulent(Re)
    if Re < 3500:
        return ((3500 - Re) * (64 / Re) + ft * (Re - 2300)) / 1200
    return ft


def segment_flow(dP, rho, D, L, C):
    """F from dP by bisection on the rising loss of the flow."""
    A = area(D)
    x = abs(dP)
    if x == 0:
        return 0.0

    def loss(F):
        return (colebrook(ROUGH / D, F * D / (MU * A)) * L / D + C) * F * F / (2 * rho * A * A)

    lo, hi = 0.0, 1e-6
    while loss(hi) < x:
        hi *= 2
    for _ in range(200):
        mid = 0.5 * (lo + hi)
        if loss(mid) < x:
            lo = mid
        else:
            hi = mid
    return math.copysign(0.5 * (lo + hi), dP)


def terminal_flow(dP, rho, K, D):
    return math.copysign(area(D) * math.sqrt(2 * rho * abs(dP) / K), dP)


def fan_flow(dP, rho):
    rise = -dP * RHO_REF / rho
    c0, c1, c2, c3 = FAN
    lo, hi = 0.0, 1.0
    for _ in range(200):
        mid = 0.5 * (lo + hi)
        if c0 + mid * (c1 + mid * (c2 + mid * c3)) > rise:
            lo = mid
        else:
            hi = mid
    return rho / RHO_REF * 0.5 * (lo + hi)


def leak_flow(dP, rho):
    turb = 0.6 * math.sqrt(2) * 0.01 * 4 ** (0.5 - 0.65)
    return math.copysign(turb * math.sqrt(rho) * abs(dP) ** 0.65, dP)


def duct_leak_flow(dP, rho, C):
    return math.copysign(rho * C * abs(dP) ** 0.65, dP)


FAN_LAW = object()  # marks the fan link: its density is its inlet's


def build(balance):
    links = []  # (kind, number, n, m, z, law)
    seg = [  # number, n, m, D, L, sum C, fan
        (1, "j1", "j2", D_MAIN, 1, 0, True),
        (2, "j2", "j3", D_MAIN, 7, 0.3, False),
        (3, "j3", "j4", D_MAIN, 7, 0.3, False),
        (4, "j4", "j8", D_MAIN, 9, 0.5, False),
        (5, "j2", "j5", D_BRANCH, 3, 1.0, False),
        (6, "j3", "j6", D_BRANCH, 3, 1.0, False),
        (7, "j4", "j7", D_BRANCH, 3, 1.0, False),
        (8, "j9", "j10", D_RETURN, 6, 1.2, False),
    ]
    for nr, n, m, D, L, C, fan in seg:
        if fan:
            # A fan moves the air of its inlet, whichever way the
            # pressure difference across it points.
            law = FAN_LAW
        else:
            law = (lambda D, L, C: lambda dP, rho, mu: segment_flow(dP, rho, D, L, C))(D, L, C)
        links.append(("duct", nr, n, m, Z_DUCT, law))
    terminals = {1: (0.5, D_MAIN), 5: (2.0, D_BRANCH), 6: (2.0, D_BRANCH), 7: (2.0, D_BRANCH),
                 8: (2.0, D_MAIN), 9: (1.5, D_RETURN), 10: (1.0, D_RETURN)}
    for j, (K, D) in terminals.items():
        K += balance.get(j, 0.0)
        law = (lambda K, D: lambda dP, rho, mu: terminal_flow(dP, rho, K, D))(K, D)
        links.append(("terminal", j, f"j{j}", ZONE_OF[f"j{j}"], Z_DUCT, law))
    # Leakage of the main (segments 2, 3, 4): half at each end.
    C = {}
    for nr, n, m, D, L, _, fan in seg:
        if 2 <= nr <= 4:
            c = MAIN_LEAK_RATE * 0.001 * math.pi * D * L
            C[n] = C.get(n, 0) + 0.5 * c
            C[m] = C.get(m, 0) + 0.5 * c
    for j in sorted(C, key=lambda name: int(name[1:])):
        law = (lambda c: lambda dP, rho, mu: duct_leak_flow(dP, rho, c))(C[j])
        links.append(("leak", int(j[1:]), j, ZONE_OF[j], Z_DUCT, law))
    for i, room in enumerate(ROOMS):
        links.append(("path", i + 1, room, AMB, Z_LEAK, lambda dP, rho, mu: leak_flow(dP, rho)))
    return links


def solve(balance):
    links = build(balance)
    nodes = ROOMS + JUNCTIONS
    z = {name: (0.0 if name.startswith("z") else Z_DUCT) for name in nodes}
    z[AMB] = 0.0
    rho_a = PB / (R * T)

    def flows(p):
        pa = dict(zip(nodes, p))
        pa[AMB] = 0.0
        rho = {k: (PB + v) / (R * T) for k, v in pa.items()}
        rho[AMB] = rho_a
        out = []
        for kind, nr, n, m, zl, law in links:
            stack_n = 0 if n == AMB else (rho_a - rho[n]) * (zl - z[n])
            stack_m = 0 if m == AMB else (rho_a - rho[m]) * (zl - z[m])
            dP = pa[n] - pa[m] + G * (stack_n - stack_m)
            if law is FAN_LAW:
                out.append(fan_flow(dP, rho[n]))
            else:
                out.append(law(dP, rho[n] if dP >= 0 else rho[m], MU))
        return out

    def residual(p):
        F = flows(p)
        r = dict.fromkeys(nodes, 0.0)
        for (kind, nr, n, m, zl, law), f in zip(links, F):
            if n in r:
                r[n] += f
            if m in r:
                r[m] -= f
        return [r[k] for k in nodes]

    p = [0.0] * len(nodes)
    for _ in range(200):
        r = residual(p)
        norm = math.sqrt(sum(v * v for v in r))
        if norm < 1e-14:
            break
        J = []
        for k in range(len(p)):
            h = 1e-6 * max(1.0, abs(p[k]))
            up, down = p[:], p[:]
            up[k] += h
            down[k] -= h
            ru, rd = residual(up), residual(down)
            J.append([(a - b) / (2 * h) for a, b in zip(ru, rd)])
        # J[k] is column k; solve J delta = -r by Gaussian elimination.
        n = len(p)
        M = [[J[c][row] for c in range(n)] + [-r[row]] for row in range(n)]
        for c in range(n):
            piv = max(range(c, n), key=lambda i: abs(M[i][c]))
            M[c], M[piv] = M[piv], M[c]
            for i in range(c + 1, n):
                f = M[i][c] / M[c][c]
                for k in range(c, n + 1):
                    M[i][k] -= f * M[c][k]
        delta = [0.0] * n
        for i in reversed(range(n)):
            delta[i] = (M[i][n] - sum(M[i][k] * delta[k] for k in range(i + 1, n))) / M[i][i]
        step = 1.0
        while step > 1e-6:
            trial = [a + step * d for a, d in zip(p, delta)]
            if math.sqrt(sum(v * v for v in residual(trial))) < norm:
                break
            step *= 0.5
        p = trial
    return links, flows(p), dict(zip(nodes, p))


def main(argv):
    balance = {}
    if len(argv) == 4 and argv[1] == "--balance":
        balance[int(argv[2])] = float(argv[3])
    links, F, p = solve(balance)
    for (kind, nr, n, m, zl, law), f in zip(links, F):
        print(f"{kind} {nr} {f:.12g}")
    for name, value in p.items():
        print(f"pressure {name} {value:.12g}")


if __name__ == "__main__":
    main(sys.argv)
