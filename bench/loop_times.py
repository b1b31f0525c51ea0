# one million passes of a counted loop: an addition and an assignment
total = 0
for count in range(1, 1000001):
    total = total + count
print(total)
