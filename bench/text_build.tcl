# a text built from two hundred thousand pieces
set s ""
for {set count 1} {$count <= 200000} {incr count} {
    append s $count ,
}
puts [string length $s]
