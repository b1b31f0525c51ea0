# one hundred thousand calls of a procedure in an expression
proc dbl {x} { return [expr {$x * 2}] }
set total 0
for {set count 1} {$count <= 100000} {incr count} { set total [expr {$total + [dbl $count]}] }
puts $total
