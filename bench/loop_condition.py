# a condition inside one million passes of a counted loop
even = 0
for count in range(1, 1000001):
    if count % 2 == 0:
        even = even + 1
print(even)
