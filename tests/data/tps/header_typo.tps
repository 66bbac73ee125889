LM=4
0 0 0
10 0 0
0 10 0
1 2 6
ID=skull_01
LMe=4
1 -1 0.5
11 0 0
0 9 1
2 2 5
ID=skull_02
LM=4
0 1 0
10 1 0
0 11 0
1 3 6
ID=skull_03
