# Writes fifty_move_rule.in: 100 quiet half-moves from a set-up position in
# which no placement ever repeats (a rook tours files a-f, the black king
# steps between g8 and h8), then one more.
#   python3 fifty_move_rule.py > fifty_move_rule.in
files = "abcdef"
snake = []
for i, rank in enumerate(range(2, 8)):
    row = [f + str(rank) for f in files]
    snake += row if i % 2 == 0 else row[::-1]
white = [snake[i] + snake[i + 1] for i in range(35)]          # rook a2 .. a7
white.append("a1b1")                                           # king steps aside
back = snake[::-1]
white += [back[i] + back[i + 1] for i in range(14)]           # rook a7 .. d5
black = ["h8g8" if i % 2 == 0 else "g8h8" for i in range(50)]
lines = ["new", "force", "setboard 7k/8/8/8/8/8/R7/K7 w - - 90 70"]
for w, b in zip(white, black):
    lines.append(w)
    if w == white[-1]:
        lines.append("after-99-half-moves")   # an unknown word marks the point in the transcript
    lines.append(b)
lines.append("c5c4")   # half-move 101: the line comes again
print("\n".join(lines))
