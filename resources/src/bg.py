#!/usr/bin/env python3
"""Writes bg.svg: the 1600x1200 welcome background.

Deep blue-black base, projector light rays from the upper right, a faint
film reel at the lower left unspooling a film strip across the bottom,
and soft bokeh circles. No text. Deterministic (fixed seed).
"""
import math
import os
import random

W, H = 1600, 1200
rnd = random.Random(20261208)
out = []
p = out.append

p(f'<svg xmlns="http://www.w3.org/2000/svg" width="{W}" height="{H}" viewBox="0 0 {W} {H}">')
p('<defs>')
p('''  <linearGradient id="base" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="#03050a"/>
    <stop offset="0.55" stop-color="#0a1120"/>
    <stop offset="1" stop-color="#111a2b"/>
  </linearGradient>
  <radialGradient id="glowBlue" cx="1250" cy="260" r="1000" gradientUnits="userSpaceOnUse">
    <stop offset="0" stop-color="#2a4a7e" stop-opacity="0.75"/>
    <stop offset="0.45" stop-color="#1a2e52" stop-opacity="0.35"/>
    <stop offset="1" stop-color="#0a1120" stop-opacity="0"/>
  </radialGradient>
  <radialGradient id="glowWarm" cx="1350" cy="1250" r="800" gradientUnits="userSpaceOnUse">
    <stop offset="0" stop-color="#dd621f" stop-opacity="0.30"/>
    <stop offset="0.5" stop-color="#8a3512" stop-opacity="0.12"/>
    <stop offset="1" stop-color="#3a1608" stop-opacity="0"/>
  </radialGradient>
  <radialGradient id="ray" cx="1420" cy="-180" r="1750" gradientUnits="userSpaceOnUse">
    <stop offset="0" stop-color="#d8e6ff" stop-opacity="0.22"/>
    <stop offset="0.5" stop-color="#9dbcf0" stop-opacity="0.07"/>
    <stop offset="1" stop-color="#6f8fc8" stop-opacity="0"/>
  </radialGradient>
  <radialGradient id="vignette" cx="0.5" cy="0.48" r="0.75">
    <stop offset="0.55" stop-color="#000000" stop-opacity="0"/>
    <stop offset="1" stop-color="#000000" stop-opacity="0.65"/>
  </radialGradient>
  <filter id="blurRays" x="-20%" y="-20%" width="140%" height="140%"><feGaussianBlur stdDeviation="16"/></filter>
  <filter id="blurFar" x="-20%" y="-20%" width="140%" height="140%"><feGaussianBlur stdDeviation="7"/></filter>
  <filter id="blurMid" x="-20%" y="-20%" width="140%" height="140%"><feGaussianBlur stdDeviation="3"/></filter>
  <filter id="blurNear" x="-20%" y="-20%" width="140%" height="140%"><feGaussianBlur stdDeviation="1.2"/></filter>''')

BOKEH_COLOURS = {
    'warm': '#ff9a4a', 'amber': '#ffc47e', 'blue': '#6f9dff', 'ice': '#a9d4ff',
}
for name, col in BOKEH_COLOURS.items():
    # brighter rim, softer centre, like an out-of-focus highlight
    p(f'''  <radialGradient id="bk_{name}">
    <stop offset="0" stop-color="{col}" stop-opacity="0.45"/>
    <stop offset="0.8" stop-color="{col}" stop-opacity="0.60"/>
    <stop offset="0.93" stop-color="{col}" stop-opacity="0.85"/>
    <stop offset="1" stop-color="{col}" stop-opacity="0"/>
  </radialGradient>''')
p('</defs>')

# base and glows
p(f'<rect width="{W}" height="{H}" fill="url(#base)"/>')
p(f'<rect width="{W}" height="{H}" fill="url(#glowBlue)"/>')
p(f'<rect width="{W}" height="{H}" fill="url(#glowWarm)"/>')

# projector rays fanning down-left from beyond the top edge
sx, sy = 1420, -180
p('<g filter="url(#blurRays)" fill="url(#ray)">')
for ang, half, length in [(112, 2.2, 1700), (121, 1.4, 1650), (128, 3.0, 1750),
                          (137, 1.8, 1600), (146, 2.6, 1700), (156, 1.2, 1500)]:
    a1 = math.radians(ang - half)
    a2 = math.radians(ang + half)
    x1, y1 = sx + length * math.cos(a1), sy + length * math.sin(a1)
    x2, y2 = sx + length * math.cos(a2), sy + length * math.sin(a2)
    p(f'  <path d="M{sx - 6:.1f} {sy:.1f} L{x1:.1f} {y1:.1f} L{x2:.1f} {y2:.1f} L{sx + 6:.1f} {sy:.1f} Z"/>')
p('</g>')

# film reel at the lower left
rx, ry, rr = 250, 1130, 330
holes = []
for k in range(6):
    a = math.radians(k * 60 - 90 + 12)
    hx, hy = rx + 190 * math.cos(a), ry + 190 * math.sin(a)
    holes.append(f'M{hx + 78:.1f} {hy:.1f} A78 78 0 1 0 {hx - 78:.1f} {hy:.1f} A78 78 0 1 0 {hx + 78:.1f} {hy:.1f} Z')
reel = (f'M{rx + rr} {ry} A{rr} {rr} 0 1 0 {rx - rr} {ry} A{rr} {rr} 0 1 0 {rx + rr} {ry} Z '
        f'M{rx + 36} {ry} A36 36 0 1 0 {rx - 36} {ry} A36 36 0 1 0 {rx + 36} {ry} Z ' + ' '.join(holes))
p('<g filter="url(#blurMid)">')
p(f'  <path d="{reel}" fill="#9ab8e8" fill-opacity="0.07" fill-rule="evenodd"/>')
p(f'  <circle cx="{rx}" cy="{ry}" r="{rr - 14}" fill="none" stroke="#b8d0f5" stroke-opacity="0.06" stroke-width="6"/>')
p('</g>')

# film strip sweeping over the reel and across the bottom
strip = 'M-120 790 C 520 700, 880 1140, 1720 950'
p('<g filter="url(#blurMid)" fill="none">')
p(f'  <path d="{strip}" stroke="#c9dcff" stroke-opacity="0.065" stroke-width="120"/>')
p(f'  <path d="{strip}" stroke="#050810" stroke-opacity="0.55" stroke-width="74" stroke-dasharray="96 14"/>')
for off in (-48, 48):
    p(f'  <path d="{strip}" transform="translate(0 {off})" stroke="#050810" stroke-opacity="0.6" '
      f'stroke-width="13" stroke-dasharray="14 20"/>')
p('</g>')

# bokeh: far (large, very soft), mid, near (small, crisp)
def bokeh_layer(filt, count, rmin, rmax, omin, omax, region):
    p(f'<g filter="url({filt})">')
    for _ in range(count):
        while True:
            x = rnd.uniform(*region[0])
            y = rnd.uniform(*region[1])
            # keep the block behind the title text quiet
            if not (40 < x < 760 and 260 < y < 560):
                break
        r = rnd.uniform(rmin, rmax)
        name = rnd.choices(list(BOKEH_COLOURS), weights=[4, 3, 3, 2])[0]
        o = rnd.uniform(omin, omax)
        p(f'  <circle cx="{x:.0f}" cy="{y:.0f}" r="{r:.0f}" fill="url(#bk_{name})" opacity="{o:.2f}"/>')
    p('</g>')

bokeh_layer('#blurFar', 16, 70, 150, 0.06, 0.14, ((0, W), (0, H)))
bokeh_layer('#blurMid', 24, 28, 70, 0.08, 0.20, ((300, W), (650, H)))
bokeh_layer('#blurMid', 10, 24, 55, 0.08, 0.18, ((900, W), (0, 500)))
bokeh_layer('#blurNear', 22, 6, 22, 0.15, 0.35, ((500, W), (700, H)))
bokeh_layer('#blurNear', 8, 5, 14, 0.12, 0.28, ((1000, W), (80, 600)))

p(f'<rect width="{W}" height="{H}" fill="url(#vignette)"/>')
p('</svg>')

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, 'bg.svg'), 'w') as f:
    f.write('\n'.join(out) + '\n')
