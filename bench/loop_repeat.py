# one million passes of a from-to loop: an addition and an assignment
total = 0
for i in range(1, 1000001):
    total = total + i * 2
print(total)
