# Date : YYYY-MM-DD hh:mm:ss                                                                                                                                                                                                                                     
# Number of Cycles      :            0
# Number of Stressblocks:            3
# Block Length    [MPa] :        0.000
# TS Stress range [MPa] :        0.000
    0.00000E+00    0.00000E+00
    0.00000E+00    0.00000E+00
    0.00000E+00    0.00000E+00
    0.00000E+00    0.00000E+00
    0.00000E+00    0.00000E+00
    0.00000E+00    0.00000E+00
    0.00000E+00    0.00000E+00
    0.00000E+00    0.00000E+00
