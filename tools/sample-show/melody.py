"""Composes and renders the sample show's song: a little music-box tune in C major, 4/4 at 72 beats a
minute, over harp arpeggios and a soft pad, about 33 seconds. It starts from silence and dies away to
silence, so that it loops without a click. Every note is synthesised by sox; this script places the notes,
mixes them, and hands the mix to sox for reverb, levelling and the final fades.

usage: melody.py OUTPUT.wav WORK_DIR
"""

import array
import operator
import os
import subprocess
import sys

RATE = 44100
TEMPO = 72.0                        # quarter notes per minute
BEAT = 60.0 / TEMPO
PREROLL = 0.12                      # seconds of silence before the first note
BARS = 10

NAMES = {'C': 0, 'D': 2, 'E': 4, 'F': 5, 'G': 7, 'A': 9, 'B': 11}


def midi(name):
    return 12 * (int(name[-1]) + 1) + NAMES[name[0]]


def freq(m):
    return 440.0 * 2.0 ** ((m - 69) / 12.0)


# Melody per bar as (note, beats); a rest is None.
MELODY = [
    [('G5', 1), ('E5', .5), ('G5', .5), ('C6', 1.5), ('B5', .5)],
    [('A5', 1), ('C6', 1), ('E5', 2)],
    [('F5', 1), ('A5', .5), ('C6', .5), ('D6', 1.5), ('C6', .5)],
    [('B5', 1), ('A5', .5), ('B5', .5), ('G5', 2)],
    [('G5', 1), ('E5', .5), ('G5', .5), ('C6', 1.5), ('D6', .5)],
    [('E6', 1), ('D6', .5), ('C6', .5), ('A5', 2)],
    [('A5', 1), ('D6', 1), ('B5', 1), ('G5', .5), ('B5', .5)],
    [('C6', 4)],
    [('E6', 1), ('D6', 1), ('G5', 1), ('C6', 1)],
    [(None, 4)],
]

# Harp arpeggio, one note a beat.
ARPEGGIO = [
    ['C3', 'G3', 'C4', 'E4'],
    ['A2', 'E3', 'A3', 'C4'],
    ['F2', 'C3', 'F3', 'A3'],
    ['G2', 'D3', 'G3', 'B3'],
    ['C3', 'G3', 'C4', 'E4'],
    ['A2', 'E3', 'A3', 'C4'],
    ['D3', 'A3', 'G2', 'D3'],
    ['C3', 'G3', 'C4', 'E4'],
    ['F2', 'C3', 'A3', 'E4'],
    ['C3', None, None, None],
]

# Pad chord per bar and how many bars it lasts.
PAD = [
    (['E4', 'G4', 'C5'], 1), (['E4', 'A4', 'C5'], 1), (['F4', 'A4', 'C5'], 1), (['D4', 'G4', 'B4'], 1),
    (['E4', 'G4', 'C5'], 1), (['E4', 'A4', 'C5'], 1), (['F4', 'A4', 'D5'], 0.5), (['D4', 'G4', 'B4'], 0.5),
    (['E4', 'G4', 'C5'], 1), (['F4', 'A4', 'C5'], 1), (['E4', 'G4', 'C5'], 1.5),
]


def sox_note(work, kind, m, length):
    """Renders one note with sox into a raw 32-bit float file and returns its samples."""
    f = freq(m)
    path = os.path.join(work, '%s-%d-%.3f.f32' % (kind, m, length))
    if not os.path.exists(path):
        out = ['-r', str(RATE), '-c', '1', '-e', 'floating-point', '-b', '32', '-t', 'raw', path]
        d = '%.4f' % length
        if kind == 'box':
            # a sine with a soft octave and twelfth, an exponential die-away
            effects = ['synth', d, 'sine', '%.3f' % (3 * f), 'gain', '-14',
                       'synth', d, 'sine', 'mix', '%.3f' % (2 * f), 'gain', '-4',
                       'synth', d, 'sine', 'mix', '%.3f' % f,
                       'fade', 'l', '0.004', d, '%.4f' % (length - 0.004)]
        elif kind == 'harp':
            effects = ['synth', d, 'pluck', '%.3f' % f, 'lowpass', '1700', 'lowpass', '1700',
                       'fade', 'q', '0.003', d, '%.4f' % (length * 0.6)]
        else:
            # two slightly detuned sines swelling in and out
            effects = ['synth', d, 'sine', '%.3f' % (f * 1.004),
                       'synth', d, 'sine', 'mix', '%.3f' % f,
                       'fade', 'h', '%.4f' % min(0.8, length / 3), d, '%.4f' % min(1.2, length / 2)]
        subprocess.run(['sox', '-R', '-n'] + out + effects, check=True)
    samples = array.array('f')
    with open(path, 'rb') as fh:
        samples.frombytes(fh.read())
    if sys.byteorder != 'little':
        samples.byteswap()
    return samples


def place(mix, samples, start_seconds, gain):
    s = int(round(start_seconds * RATE))
    e = min(len(mix), s + len(samples))
    scaled = [x * gain for x in samples[:e - s]]
    mix[s:e] = array.array('d', map(operator.add, mix[s:e], scaled))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    out_wav, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    bar = 4 * BEAT
    total = PREROLL + BARS * bar
    mix = array.array('d', bytes(8 * int((total + 6.0) * RATE)))

    for b, notes in enumerate(MELODY):
        t = PREROLL + b * bar
        for name, beats in notes:
            if name is not None:
                accent = 1.0 if abs((t - PREROLL) / BEAT - round((t - PREROLL) / BEAT)) < 1e-6 else 0.8
                place(mix, sox_note(work, 'box', midi(name), 4.5), t, 0.55 * accent)
            t += beats * BEAT

    for b, notes in enumerate(ARPEGGIO):
        for i, name in enumerate(notes):
            if name is not None:
                place(mix, sox_note(work, 'harp', midi(name), 2.6), PREROLL + b * bar + i * BEAT,
                      0.30 if i == 0 else 0.22)

    t = PREROLL
    for chord, bars in PAD:
        length = bars * bar + 0.6
        for name in chord:
            place(mix, sox_note(work, 'pad', midi(name), length), t, 0.045)
        t += bars * bar

    dry = os.path.join(work, 'dry.f32')
    with open(dry, 'wb') as fh:
        samples = array.array('f', mix)
        if sys.byteorder != 'little':
            samples.byteswap()
        fh.write(samples.tobytes())

    subprocess.run(['sox', '-R', '-r', str(RATE), '-c', '1', '-e', 'floating-point', '-b', '32', '-t', 'raw', dry,
                    '-b', '16', out_wav,
                    'highpass', '45', 'remix', '1', '1',
                    'reverb', '40', '55', '80', '100', '12', '-3',
                    'trim', '0', '%.4f' % total,
                    'gain', '-n', '-2',
                    'fade', 'h', '0.02', '%.4f' % total, '1.6'], check=True)


if __name__ == '__main__':
    main()
