# one hundred thousand calls of a function in an expression
def dbl(x):
    return x * 2
total = 0
for count in range(1, 100001):
    total = total + dbl(count)
print(total)
